#pragma once

#include "sms/PduEncoder.h"
#include "sms/SmsPortState.h"

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

// One command of a submission's dialogue, without its "\r": true when the device answered "OK". Throws the
// no-response error when the device gave no final result at all, so a dead port ends at its first command.
using Command = std::function<bool(const QString& command)>;
// One query: the answer's text (its information line or the whole reply).
using Query = std::function<QString(const QString& command)>;

// Submits the parts of one message, part(n) for n from 0 to total - 1. With more than one part the link to the
// SMSC is kept open between them (AT+CMMS=2, 3GPP TS 27.005 3.5.6) when the device accepts it, and released
// (AT+CMMS=0) after the last part, or after a part that failed while the device still answers. The device's
// answer to AT+CMMS=2 is kept in cmms, so a device that refuses it is asked once per port; a failed release
// never fails a message whose parts were all confirmed.
void SendParts(int total, SmsPortState::Cmms& cmms, const Command& command, const std::function<void(int n)>& part);

// Sets TP-SRR (bit 5 of the SMS-SUBMIT first octet, TS 23.040 9.2.3.5) in an encoded PDU.
void RequestStatusReport(Pdu::EncodedPdu& pdu);
// AT+CSMP's <fo> for a text-mode submission: SMS-SUBMIT with a relative validity period, TP-SRR when asked.
int TextFirstOctet(bool statusReport);
// The message reference of a "+CMGS: <mr>" line in the reply; -1 when there is none.
int MessageReference(const QString& reply);
// The AT+CNMI command that announces status reports and new messages on a device whose AT+CNMI=? answer is
// `supported` (TS 27.005 3.4.1): reports stored and announced with +CDSI (<ds> 2) where offered, else routed
// with +CDS (<ds> 1); new messages stored and announced with +CMTI (<mt> 1), so nothing is lost unstored.
// Empty when the answer offers no way to announce reports.
QString IndicationCommand(const QString& supported);

// Sets the text-mode parameters with csmp (an "AT+CSMP=..." command) and keeps the device's service centre:
// devices built on some chipsets forget their stored SMSC on any AT+CSMP, and every later submission then
// fails with +CMS ERROR: 330 in either mode. The address is read before (AT+CSCA?), read again after, and
// written back as it was read, in the character set in force, when it is gone.
void SetTextParameters(const QString& csmp, const Query& query, const Command& command);

} // namespace SubmissionSteps
