#pragma once

#include "sms/TpduFields.h"

class TpduReader;

// An SMS-DELIVER (3GPP TS 23.040 9.2.2.1) as decoded.
struct SmsDeliver {
    TpAddress smsc; // the SMSC field in front of the PDU; empty when absent or not given
    int firstOctet = 0;
    bool moreMessagesToSend = false;     // TP-MMS clear: the SC has more waiting
    bool replyPath = false;              // TP-RP
    bool statusReportIndication = false; // TP-SRI: the sender asked for a status report
    TpAddress originator;                // TP-OA
    int protocolIdentifier = 0;          // TP-PID
    TpDataCoding coding;                 // TP-DCS
    TpTimestamp serviceCentreTime;       // TP-SCTS
    TpUserData userData;                 // TP-UDL, TP-UD (header, text)
};

namespace Tpdu {
// Reads an SMS-DELIVER from its first octet on; false with a reason when it is malformed.
[[nodiscard]] bool ReadDeliver(TpduReader& in, SmsDeliver* deliver, QString* why);
} // namespace Tpdu
