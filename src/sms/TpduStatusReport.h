#pragma once

#include "sms/TpStatus.h"
#include "sms/TpduFields.h"

#include <optional>

class TpduReader;

// An SMS-STATUS-REPORT (3GPP TS 23.040 9.2.2.3) as decoded.
struct SmsStatusReport {
    TpAddress smsc; // the SMSC field in front of the PDU; empty when absent or not given
    int firstOctet = 0;
    bool moreMessagesToSend = false; // TP-MMS clear
    bool resultOfCommand = false;    // TP-SRQ: the report of an SMS-COMMAND rather than of an SMS-SUBMIT
    int messageReference = 0;        // TP-MR of the submission it reports on
    TpAddress recipient;             // TP-RA
    TpTimestamp serviceCentreTime;   // TP-SCTS: when the SC took the submission
    TpTimestamp dischargeTime;       // TP-DT: when the status came about
    TpStatus status;                 // TP-ST
    // The optional part after TP-ST (TP-PI and what it announces).
    int parameterIndicator = -1; // -1 when absent
    std::optional<int> protocolIdentifier;
    std::optional<TpDataCoding> coding;
    std::optional<TpUserData> userData;
    QStringList notes; // optional fields that could not be read (the report itself stands)
};

namespace Tpdu {
// Reads an SMS-STATUS-REPORT from its first octet on; false with a reason when a mandatory field is
// malformed. Unreadable optional fields are noted, not fatal.
[[nodiscard]] bool ReadStatusReport(TpduReader& in, SmsStatusReport* report, QString* why);
} // namespace Tpdu
