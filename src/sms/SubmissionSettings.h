#pragma once

// What a submission reads from the session's composer at the moment it starts, when its request does not carry
// its own settings (SmsRequest::UseCallerSettings == 0): the message type ("Notification" = flash, class 0)
// and the Unicode choice. Implementations are read from device worker threads while the user interface
// may change them, so both calls must be safe from any thread.
class SubmissionSettings {
public:
    virtual ~SubmissionSettings() = default;
    virtual bool IsFlashSelected() const = 0;   // message type "Notification" selected
    virtual bool IsUnicodeChecked() const = 0;  // "Enable non-English (Unicode) characters support" checked
};
