#include "sms/SendControl.h"

std::atomic<int> Mark_To_Stop_All{0};

namespace {
std::atomic<const SubmissionSettings*> g_processSettings{nullptr};
}

void SetProcessSubmissionSettings(const SubmissionSettings* settings) { g_processSettings.store(settings); }

const SubmissionSettings* ProcessSubmissionSettings() { return g_processSettings.load(); }

MessageFlags DeriveMessageFlags(const SmsRequest& request, const SubmissionSettings* portSettings) {
    MessageFlags flags;
    if (request.UseCallerSettings != 0)
        return flags;
    const SubmissionSettings* settings = portSettings ? portSettings : ProcessSubmissionSettings();
    if (settings) {
        flags.flash = settings->IsFlashSelected();
        flags.unicode = settings->IsUnicodeChecked();
    }
    return flags;
}
