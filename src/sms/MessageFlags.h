#pragma once

#include "sms/SmsRequest.h"
#include "sms/SubmissionSettings.h"

// The flags a submission derives at its start from its request and the settings its transport was given.
struct MessageFlags {
    bool flash = false;   // class 0 ("Notification")
    bool unicode = false; // UCS-2
};

// A request that carries its own settings (UseCallerSettings != 0), or a transport given none, gives
// "Standard SMS" without Unicode.
MessageFlags DeriveMessageFlags(const SmsRequest& request, const SubmissionSettings* settings);
