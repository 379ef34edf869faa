#pragma once

#include <QString>

// The result texts of a send attempt, and the rules every reader of them applies (the retry passes, the
// sent-items filters, the status export, the command line's exit status). A result is a failure when it
// contains "Error"; it is a success only when it is one of the two sent texts, so "Skipped.", "Excluded."
// and "Stopped" are neither.
namespace ResultText {

inline const QString kSentSuccessfully = QStringLiteral("Message sent successfully.");
inline const QString kSentToDevice = QStringLiteral("Message sent to device.");

inline bool IsFailure(const QString& status) { return status.contains(QLatin1String("Error")); }
inline bool IsSent(const QString& status) { return status == kSentSuccessfully || status == kSentToDevice; }

} // namespace ResultText
