#pragma once

#include <QString>

// The result texts of a send attempt, and the rules every reader of them applies (the retry passes, the
// sent-items filters, the status export, the command line's exit status). A result is a failure when it
// contains "Error"; it is a success only when it is one of the two sent texts, so "Skipped.", "Excluded."
// and "Stopped" are neither. A failure that no retry pass takes again (a permanent error) says so at its end:
// "Error : +CMS ERROR: 1 (permanent: unassigned number; not retried)".
namespace ResultText {

inline const QString kSentSuccessfully = QStringLiteral("Message sent successfully.");
inline const QString kSentToDevice = QStringLiteral("Message sent to device.");

inline const QString kNotRetriedEnd = QStringLiteral("; not retried)");

inline bool IsFailure(const QString& status) { return status.contains(QLatin1String("Error")); }
// A failure that the next retry pass takes again.
inline bool IsRetryable(const QString& status) { return IsFailure(status) && !status.endsWith(kNotRetriedEnd); }
inline bool IsSent(const QString& status) { return status == kSentSuccessfully || status == kSentToDevice; }

} // namespace ResultText
