#pragma once

#include "sms/SmsTransport.h"

#include <QString>

#include <optional>

// What a transport knows of its device between submissions. "fast" timing prepares a port once and then
// relies on it; "standard" timing forgets it before every message and gives the whole sequence each time.
// Forgotten on Open, Close and ResetModem; after a failed submission all but the AT+CMMS answer is forgotten,
// since the device may have been reset or left in another state.
struct SmsPortState {
    enum class Cmms { Unknown, Accepted, Refused };

    std::optional<SmsMode> preparedMode; // AT+CSMS=0 and AT+CMGF given for this mode
    int textDcs = -1;                    // text mode: the <dcs> of the last AT+CSMP the device accepted
    int textFirstOctet = -1;             // text mode: the <fo> of that AT+CSMP (TP-SRR in it or not)
    bool indicationsSet = false;         // AT+CNMI given for status reports and new messages
    QString supportedCharsets;           // the answer to AT+CSCS=?, empty until asked
    QString charset;                     // the character set in force (AT+CSCS? or the one last set), or empty
    Cmms cmms = Cmms::Unknown;           // the device's answer to AT+CMMS=2, asked once per opening

    void ForgetPreparation() {
        const Cmms kept = cmms;
        *this = SmsPortState();
        cmms = kept;
    }
    void Forget() { *this = SmsPortState(); }
};
