#pragma once

#include "sms/SubmissionSettings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// The message composer of the main window: its text (at most 1600 UTF-16 code units), the character
// counter, the message type and the Unicode option. Submission reads the last two through
// SubmissionSettings from device worker threads while the user may change them, so they are atomics; the
// text is guarded by a mutex. Every member may be called from any thread.
//
// Line breaks are stored as CR LF, the form every data file and message of the program holds, so a typed line
// break counts 2 and goes into messages as CR LF whatever the view's own text store uses.
class MessageComposer final : public SubmissionSettings {
public:
    static constexpr qsizetype kMaxLength = 1600;
    enum MessageType { kNotification = 0, kStandardSms = 1 };

    // The drop-down's items, by index: "Notification", "Standard SMS".
    static QStringList MessageTypeItems();

    QString Text() const;
    // Replaces the text (line breaks made CR LF), keeping at most its first 1600 code units; a surrogate pair
    // that would be cut in half is left out whole. Returns false when the text had to be cut.
    bool SetText(const QString& text);
    // True when the text, with its line breaks made CR LF, is longer than the limit (a template asks the user
    // before it is cut).
    static bool ExceedsLimit(const QString& text);
    // Typing or pasting: the part of `inserted` (line breaks made CR LF) that fits when `removedLength` code
    // units of a text of `currentLength` are replaced by it; never ends inside a surrogate pair or a CR LF.
    static QString FitInsertion(qsizetype currentLength, qsizetype removedLength, const QString& inserted);
    static QString WithCrLfLineBreaks(const QString& text);

    // "%d Characters": the text's length in UTF-16 code units.
    QString CounterText() const;
    qsizetype Length() const;

    int MessageTypeIndex() const { return m_messageType.load(); }
    // Index 0 or 1; anything else is ignored.
    void SetMessageTypeIndex(int index);
    void SetUnicodeChecked(bool checked) { m_unicode.store(checked); }

    bool IsFlashSelected() const override { return m_messageType.load() == kNotification; }
    bool IsUnicodeChecked() const override { return m_unicode.load(); }

    // Empty text, "Standard SMS", Unicode option off.
    void Reset();

private:
    mutable std::mutex m_mutex;
    QString m_text;
    std::atomic<int> m_messageType{kStandardSms};
    std::atomic<bool> m_unicode{false};
};
