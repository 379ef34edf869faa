#pragma once

#include "sms/PduEncoder.h"

#include <QString>

#include <cstdint>
#include <vector>

#include <functional>

// Pieces shared by the submission code of both transports.
namespace SubmissionSteps {

// Thrown (as a device-less CSMSException) when a stop request ends a concatenated message early: the
// message is not complete, so it is never reported as sent.
[[noreturn]] void ThrowStopped(int partsSent, int totalParts);
// The encoder could not build a PDU (string 515).
[[noreturn]] void ThrowEncodingFailed();
// Every part's PDU of the message; throws as ThrowEncodingFailed when there is none or a part has none, so a
// message is never submitted in part.
std::vector<Pdu::EncodedPdu> EncodeParts(const QString& message, const QString& recipient, const QString& smsc,
                                         bool flash, bool unicode, std::uint16_t reference);
// A submission that got no confirmation: the reply's error when it holds one, else "no response" (516).
[[noreturn]] void ThrowUnconfirmed(const QString& errorText);

// Text-mode character set: for Unicode text the device is set to "HEX", else "UCS2" when its AT+CSCS=?
// answer names them (the set chosen is returned; empty when it names neither and the set stays). For 7-bit
// text a device left in HEX or UCS2 is set back to "GSM", else "IRA"; nothing is returned.
QString SelectTextCharset(bool unicode, const std::function<QString()>& querySupported,
                          const std::function<QString()>& queryCurrent,
                          const std::function<void(const QString&)>& setCharset);

} // namespace SubmissionSteps
