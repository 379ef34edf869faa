#pragma once

#include <QString>

// The per-message record handed to SmsTransport::Submit.
struct SmsRequest {
    QString message;          // UTF-16 text; "\r\n" becomes "\n" at submission
    QString smscNumber;       // empty: the device's stored SMSC
    int smscType = 129;
    QString recipientNumber;
    int recipientType = 129;
    // 0: the message type and the Unicode choice are read from the transport's submission settings (the
    // composer's) when the submission starts; 1: "Standard SMS" and no Unicode whatever they show (test sends).
    int UseCallerSettings = 0;
};
