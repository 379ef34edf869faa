#pragma once

#include "sms/SubmissionSettings.h"
#include "sms/SmsRequest.h"

#include <atomic>

// Set when the user stops all sending: a concatenated message then ends after the part being sent. Polled by
// submissions and workers; written by the progress window.
extern std::atomic<int> Mark_To_Stop_All;

// The main window's message settings for submissions whose request leaves them to the caller. The main
// window installs itself at start; null (the default) means "Standard SMS" and no Unicode.
void SetProcessSubmissionSettings(const SubmissionSettings* settings);
const SubmissionSettings* ProcessSubmissionSettings();

// The flags a submission derives at its start from its request and the settings in force.
struct MessageFlags {
    bool flash = false;
    bool unicode = false;
};
MessageFlags DeriveMessageFlags(const SmsRequest& request, const SubmissionSettings* portSettings);
