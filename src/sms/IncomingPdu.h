#pragma once

#include "sms/TpduDeliver.h"
#include "sms/TpduStatusReport.h"

#include <QString>

#include <optional>

// A PDU a device hands over from the network, decoded: an SMS-DELIVER, an SMS-STATUS-REPORT, or a reason
// why it is neither readable, with the PDU kept as it came so nothing is lost.
struct IncomingPdu {
    enum class Kind { Deliver, StatusReport, Undecodable };
    Kind kind = Kind::Undecodable;
    std::optional<SmsDeliver> deliver;           // Kind::Deliver
    std::optional<SmsStatusReport> statusReport; // Kind::StatusReport
    QString error;                               // Kind::Undecodable: why
    QString rawHex;                              // always: the PDU text as given
};

namespace Tpdu {

// Whether the hex text starts with the SMSC field (TS 27.005 3.1 <pdu>, as +CMT, +CDS, +CMGR and +CMGL give
// it in PDU mode) or with the TPDU's first octet.
enum class SmscField { Present, Absent };

// Decodes a PDU in hex text. `tpduLength`, when not negative, is the <length> the device announced (octets
// after the SMSC field); a PDU of another length is undecodable (a cut or run-together line). Never throws
// and never reads past the input.
IncomingPdu DecodeIncoming(const QString& hex, SmscField smsc = SmscField::Present, int tpduLength = -1);

} // namespace Tpdu
