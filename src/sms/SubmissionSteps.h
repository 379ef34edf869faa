#pragma once

#include <QString>

// Pieces shared by the submission code of both transports.
namespace SubmissionSteps {

// Thrown (as a device-less CSMSException) when a stop request ends a concatenated message early: the
// message is not complete, so it is never reported as sent.
[[noreturn]] void ThrowStopped(int partsSent, int totalParts);
// The encoder could not build a PDU (string 515).
[[noreturn]] void ThrowEncodingFailed();
// A submission that got no confirmation: the reply's error when it holds one, else "no response" (516).
[[noreturn]] void ThrowUnconfirmed(const QString& errorText);

// Text-mode character set choice from the device's AT+CSCS=? answer: "HEX", else "UCS2", else empty.
QString ChooseUnicodeCharset(const QString& supported);
// For 7-bit text: when the current set names HEX or UCS2, the set to switch to ("GSM", else "IRA", else
// empty); empty when no switch is needed.
bool NeedsPlainCharset(const QString& current);
QString ChoosePlainCharset(const QString& supported);

} // namespace SubmissionSteps
