#include "sending/SendJob.h"

#include "common/ResultText.h"
#include "modem/ModemErrorCause.h"

#include <algorithm>

namespace {
const QLatin1String kRetryMark("Wait to dispatch...(Retry");
} // namespace

const QStringList& SendJob::ColumnCaptions() {
    static const QStringList captions = {QStringLiteral("Number"),         QStringLiteral("Message"),
                                         QStringLiteral("Use Port"),       QStringLiteral("Use Status"),
                                         QStringLiteral("Current Status"), QStringLiteral("Status"),
                                         QStringLiteral("Retry"),          QStringLiteral("Sent_item"),
                                         QStringLiteral("Delivery"),       QStringLiteral("References")};
    return captions;
}

void SendJob::Clear() {
    std::lock_guard lock(m_mutex);
    m_rows.clear();
    m_firstRowOfNumber.clear();
}

void SendJob::AppendRow(const QString& number, const QString& message) {
    std::lock_guard lock(m_mutex);
    Row row;
    row[kNumber] = number;
    row[kMessage] = message;
    row[kUseStatus] = kWaiting;
    row[kCurrentStatus] = kWaiting;
    row[kRetry] = QStringLiteral("0");
    // The first row carrying a number is the one sent; later rows with it are duplicates.
    const QString key = DuplicateKey(number);
    if (!m_firstRowOfNumber.contains(key))
        m_firstRowOfNumber.insert(key, static_cast<int>(m_rows.size()));
    m_rows.push_back(std::move(row));
}

QString SendJob::DuplicateKey(const QString& number) const {
    return m_comparison.ByInternationalForm() ? m_comparison.Key(number) : number;
}

void SendJob::SetNumberComparison(NumberComparison comparison) {
    std::lock_guard lock(m_mutex);
    m_comparison = std::move(comparison);
    m_firstRowOfNumber.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const QString key = DuplicateKey(m_rows[i][kNumber]);
        if (!m_firstRowOfNumber.contains(key))
            m_firstRowOfNumber.insert(key, static_cast<int>(i));
    }
}

int SendJob::RowCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

SendJob::Row SendJob::RowAt(int row) const {
    std::lock_guard lock(m_mutex);
    return m_rows.at(static_cast<size_t>(row));
}

QString SendJob::Text(int row, Column column) const {
    std::lock_guard lock(m_mutex);
    return m_rows.at(static_cast<size_t>(row))[column];
}

void SendJob::SetText(int row, Column column, const QString& text) {
    std::lock_guard lock(m_mutex);
    m_rows.at(static_cast<size_t>(row))[column] = text;
}

bool SendJob::ClaimTestLocked(const Row& r) const {
    const QString& status = r[kStatus];
    const QString& useStatus = r[kUseStatus];
    if (!status.isEmpty() && useStatus.contains(kRetryMark))
        return true; // a retry-pass row: any worker may take it
    if (!status.isEmpty() && useStatus.contains(kDone) && r[kCurrentStatus].contains(kRetryMark))
        return true; // failed with retries left: the send step still refuses it until the next pass
    if (!status.isEmpty() && useStatus.contains(kDone))
        return false;
    if (status == kSending || status == kDone)
        return false;
    if (!r[kUsePort].isEmpty())
        return false; // another worker owns it
    return true;
}

bool SendJob::ClaimTest(int row) const {
    std::lock_guard lock(m_mutex);
    return ClaimTestLocked(m_rows.at(static_cast<size_t>(row)));
}

bool SendJob::Take(int row, const Worker& worker) {
    std::lock_guard lock(m_mutex);
    Row& r = m_rows.at(static_cast<size_t>(row));
    if (!ClaimTestLocked(r))
        return false;
    const bool free = r[kUsePort].isEmpty() || r[kUseStatus].contains(kSending) || r[kUseStatus].contains(kRetryMark);
    if (!free)
        return false;
    r[kUseStatus] = kSending;
    r[kCurrentStatus] = QStringLiteral("Sending (") + worker.deviceText + QLatin1Char(')');
    r[kUsePort] = worker.port;
    return true;
}

void SendJob::GiveBack(int row, const Worker& worker) {
    std::lock_guard lock(m_mutex);
    Row& r = m_rows.at(static_cast<size_t>(row));
    if (r[kUsePort] != worker.port || r[kUseStatus] != kSending)
        return;
    r[kUsePort].clear();
    // A retry-pass row keeps its earlier result until it is sent again.
    r[kUseStatus] = r[kStatus].isEmpty() ? kWaiting : kWaitingRetry;
    r[kCurrentStatus] = r[kUseStatus];
}

bool SendJob::IsPending() const {
    std::lock_guard lock(m_mutex);
    for (const Row& r : m_rows) {
        const QString& status = r[kStatus];
        const QString& useStatus = r[kUseStatus];
        if (!status.isEmpty() && (useStatus.contains(kRetryMark) || useStatus.contains(QLatin1String("Sending"))))
            return true;
        if (status.isEmpty() && (useStatus.contains(kWaiting) || useStatus == kSending))
            return true;
    }
    return false;
}

bool SendJob::IsLaterDuplicate(int row) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_firstRowOfNumber.constFind(DuplicateKey(m_rows.at(static_cast<size_t>(row))[kNumber]));
    return it != m_firstRowOfNumber.constEnd() && *it != row;
}

bool SendJob::RecordSkip(int row, const Worker& worker, Skip skip) {
    if (skip == Skip::None)
        return false;
    std::lock_guard lock(m_mutex);
    Row& r = m_rows.at(static_cast<size_t>(row));
    if (r[kUsePort].isEmpty())
        r[kUsePort] = worker.port;
    if (!r[kStatus].isEmpty() || r[kUseStatus].contains(kDone) || r[kUsePort] != worker.port)
        return false;
    r[kStatus] = skip == Skip::Excluded ? kExcluded : kSkipped;
    r[kUseStatus] = kDone;
    r[kCurrentStatus] = QStringLiteral("Done (") + worker.deviceText + QLatin1Char(')');
    return true;
}

SendJob::Recorded SendJob::RecordResult(int row, const Worker& worker, const QString& result, const RetryRule& rule) {
    Recorded out;
    std::lock_guard lock(m_mutex);
    Row& r = m_rows.at(static_cast<size_t>(row));
    if (r[kStatus] == kStopped || r[kUsePort] != worker.port)
        return out;
    out.written = true;
    r[kStatus] = result;
    r[kUseStatus] = kDone;
    out.sent = !ResultText::IsFailure(result);
    out.final = !rule.retriesOn || out.sent || r[kRetry].toInt() >= rule.totalRetries;
    if (!out.final && !rule.retryAllErrors) {
        const ModemErrorCause::Cause cause = ModemErrorCause::Of(result);
        if (cause.kind == ModemErrorCause::Kind::Permanent) {
            r[kStatus] = result + QStringLiteral(" (permanent: ") + cause.text + ResultText::kNotRetriedEnd;
            out.final = true;
        }
    }
    r[kCurrentStatus] = out.final ? QStringLiteral("Done (") + worker.deviceText + QLatin1Char(')') : kWaitingRetry;
    return out;
}

bool SendJob::MarkSentItem(int row) {
    std::lock_guard lock(m_mutex);
    QString& mark = m_rows.at(static_cast<size_t>(row))[kSentItem];
    if (mark == QLatin1String("1"))
        return false;
    mark = QStringLiteral("1");
    return true;
}

void SendJob::ReleaseSentItem(int row) {
    std::lock_guard lock(m_mutex);
    m_rows.at(static_cast<size_t>(row))[kSentItem].clear();
}

int SendJob::RequeueFailed() {
    std::lock_guard lock(m_mutex);
    int done = 0;
    for (Row& r : m_rows) {
        if (!RequeueLocked(r))
            ++done;
    }
    return done;
}

bool SendJob::RequeueLocked(Row& r) {
    if (!ResultText::IsRetryable(r[kStatus]))
        return false;
    r[kUsePort].clear();
    r[kRetry] = QString::number(r[kRetry].toInt() + 1);
    r[kUseStatus] = kWaitingRetry;
    r[kCurrentStatus] = kWaitingRetry;
    return true;
}

bool SendJob::RequeueRow(int row) {
    std::lock_guard lock(m_mutex);
    return RequeueLocked(m_rows.at(static_cast<size_t>(row)));
}

void SendJob::MarkWaitingStopped() {
    std::lock_guard lock(m_mutex);
    for (Row& r : m_rows) {
        if (r[kUseStatus] == kWaiting) {
            r[kUseStatus] = kStopped;
            r[kCurrentStatus] = kStopped;
            r[kStatus] = kStopped;
        }
    }
}

void SendJob::MarkRetryWaitingStopped() {
    std::lock_guard lock(m_mutex);
    for (Row& r : m_rows) {
        if (r[kCurrentStatus].contains(kRetryMark))
            r[kCurrentStatus] = kStopped;
    }
}

void SendJob::MarkStoppedByLastWorker(const QString& lastWorkerPort) {
    std::lock_guard lock(m_mutex);
    for (Row& r : m_rows) {
        const bool retryWaiting = r[kUseStatus].contains(kRetryMark) || r[kCurrentStatus].contains(kRetryMark);
        if (r[kUsePort] != lastWorkerPort) {
            if (r[kUsePort].isEmpty() && retryWaiting) {
                r[kUseStatus] = QStringLiteral("Save");
                r[kCurrentStatus] = kStopped;
            }
            continue;
        }
        if (!r[kUseStatus].contains(kDone) && r[kUseStatus].contains(QLatin1String("Sending"))) {
            r[kUseStatus] = kStopped;
            r[kCurrentStatus] = kStopped;
            r[kStatus] = kStopped;
        } else if ((!r[kUseStatus].contains(kDone) && r[kUseStatus].contains(kRetryMark)) ||
                   r[kCurrentStatus].contains(kRetryMark)) {
            r[kUseStatus] = kStopped;
            r[kCurrentStatus] = kStopped;
        }
    }
}

bool SendJob::IsFinal(const Row& r) {
    return (r[kUseStatus] == kDone && r[kCurrentStatus].startsWith(kDone)) || r[kStatus] == kStopped;
}

int SendJob::ProgressPercent(int processed, int total) {
    if (total <= 0)
        return 0;
    const int done = std::clamp(processed, 1, total);
    return static_cast<int>(static_cast<long long>(done) * 100 / total);
}

QString SendJob::ProgressLabel(int processed, int total) {
    const int done = total <= 0 ? 0 : std::clamp(processed, 1, total);
    return QStringLiteral("%1 / %2 Message or %3%")
        .arg(done)
        .arg(total)
        .arg(QString::asprintf("%.2f", static_cast<double>(ProgressPercent(processed, total))));
}
