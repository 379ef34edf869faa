#include "sms/MessageFlags.h"

MessageFlags DeriveMessageFlags(const SmsRequest& request, const SubmissionSettings* settings) {
    MessageFlags flags;
    if (request.UseCallerSettings != 0 || settings == nullptr)
        return flags;
    flags.flash = settings->IsFlashSelected();
    flags.unicode = settings->IsUnicodeChecked();
    return flags;
}
