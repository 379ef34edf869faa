#pragma once

#include "sim/SimTpduEncoder.h"

#include <QDateTime>
#include <QString>

// A message or status report the simulated network hands to the modem, with what the modem shows of it.
struct SimSmsRecord {
    bool statusReport = false;
    SimEncodedTpdu tpdu;
    QString smsc;
    QString address; // originator of a message, recipient of a report
    QDateTime serviceCentreTime;
    int messageClass = -1;    // message: TS 23.038 class, -1 none
    int messageReference = 0; // report: TP-MR
    QDateTime dischargeTime;  // report: TP-DT
    int status = 0;           // report: TP-ST
    int stat = 0;             // in a storage: TS 27.005 <stat>, 0 "REC UNREAD", 1 "REC READ"
};
