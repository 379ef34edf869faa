#pragma once

#include "exclusion/NumberComparison.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <mutex>
#include <vector>

struct RecipientRow;

// The job rows of one send run: at the same time the work queue, each recipient's state machine and the
// on-screen report. A row's state is its column texts, compared exactly as they are written. Every read and
// write goes through the job lock, and the claim of a row, a skip decision and a result are each one atomic
// step, so no two workers ever take or finish the same row.
class SendJob {
public:
    // kDelivery: the delivery state when reports were requested; kReferences (not shown): the message
    // references of the sent parts, "17,18".
    enum Column {
        kNumber,
        kMessage,
        kUsePort,
        kUseStatus,
        kCurrentStatus,
        kStatus,
        kRetry,
        kSentItem,
        kDelivery,
        kReferences,
        kColumnCount
    };
    using Row = std::array<QString, kColumnCount>;

    static const QStringList& ColumnCaptions();

    // State texts.
    static inline const QString kWaiting = QStringLiteral("Wait to dispatch...");
    static inline const QString kWaitingRetry = QStringLiteral("Wait to dispatch...(Retry)");
    static inline const QString kSending = QStringLiteral("Sending...");
    static inline const QString kDone = QStringLiteral("Done");
    static inline const QString kStopped = QStringLiteral("Stopped");
    static inline const QString kSkipped = QStringLiteral("Skipped.");
    static inline const QString kExcluded = QStringLiteral("Excluded.");

    // The worker asking: its port name (written into Use Port) and its device text.
    struct Worker {
        QString port;
        QString deviceText;
    };

    enum class Skip { None, Excluded, Skipped };

    // How failed rows are retried: "Retry attempts on Failed SMS" with its count, and "Retry every failed
    // message" (off: a permanent error, such as an unassigned number, is not retried).
    struct RetryRule {
        bool retriesOn = false;
        int totalRetries = 0;
        bool retryAllErrors = false;
    };

    // What a result did to the row, for the caller's logging and counting.
    struct Recorded {
        bool written = false; // the row was this worker's and took the result
        bool final = false;   // no further retry pass will take it
        bool sent = false;    // the result is no failure
    };

    // The first pass: one waiting row per recipient, in order. Also builds the index the duplicate test uses.
    void Clear();
    void AppendRow(const QString& number, const QString& message);
    int RowCount() const;
    Row RowAt(int row) const;
    QString Text(int row, Column column) const;
    // Sets one cell (for the window's own edits and tests).
    void SetText(int row, Column column, const QString& text);

    // Claim test: may this worker take the row? (Only a test; Take makes the claim.)
    bool ClaimTest(int row) const;
    // The send step: re-runs the claim test and, when the row is free (Use Port empty, or Use Status with
    // "Sending..." or "Wait to dispatch...(Retry"), takes it: Use Status "Sending...", Current Status
    // "Sending (<device text>)", Use Port the worker's port. True when this worker now owns the row.
    bool Take(int row, const Worker& worker);
    // Undoes this worker's Take before anything was submitted (its claim could not be made durable): the row waits
    // again as it did before.
    void GiveBack(int row, const Worker& worker);
    // Pending test: does any row still wait or is being sent?
    bool IsPending() const;
    // Is the row a later duplicate of an earlier row's number (exact text; with a comparison by international
    // form, the same form)?
    bool IsLaterDuplicate(int row) const;
    // How the duplicate test compares numbers: by default the exact text. With a default country the first row
    // of each international form is the one sent. Re-indexes rows already appended.
    void SetNumberComparison(NumberComparison comparison);
    // Writes a skip decision ("Excluded." / "Skipped.") when the row is still this worker's to decide.
    // Returns whether it was written (the processed count then grows by one).
    bool RecordSkip(int row, const Worker& worker, Skip skip);
    // Records a send attempt's result text; the rule decides whether a later pass may retry the row. A permanent
    // error (ModemErrorCause) that a pass would otherwise retry is not, unless the rule retries all errors: the
    // row's Status then says so, "Error : +CMS ERROR: 1 (permanent: unassigned number; not retried)".
    Recorded RecordResult(int row, const Worker& worker, const QString& result, const RetryRule& rule);
    // Claims the row's entry in the sent-items file: false when it was claimed already, so a row is appended
    // once whichever thread logs it. A failed append gives the claim back (ReleaseSentItem) for a later try.
    bool MarkSentItem(int row);
    void ReleaseSentItem(int row);

    // Start of a retry pass: failed rows wait again with Retry + 1, except those not retried (a permanent
    // error); returns the number of rows already done.
    int RequeueFailed();
    // The same for one row another process's retry pass handed back to this one: true when it now waits.
    bool RequeueRow(int row);

    // End of a stopped pass: rows still only waiting become "Stopped" in all three state columns.
    void MarkWaitingStopped();
    // Current Status "Stopped" for rows left waiting for a retry pass.
    void MarkRetryWaitingStopped();
    // Stop marking by the last worker of a stopped run (see SendRun).
    void MarkStoppedByLastWorker(const QString& lastWorkerPort);

    // Whether a row has its last result in this run: done (sent, failed with no retry pass left for it,
    // skipped, excluded) or stopped. A row failed with a retry pass ahead, waiting or being sent is not.
    static bool IsFinal(const Row& row);

    // Processed count helpers of the progress display.
    static QString ProgressLabel(int processed, int total);
    static int ProgressPercent(int processed, int total);

private:
    bool ClaimTestLocked(const Row& row) const;
    static bool RequeueLocked(Row& row);
    QString DuplicateKey(const QString& number) const;

    mutable std::mutex m_mutex;
    std::vector<Row> m_rows;
    QHash<QString, int> m_firstRowOfNumber; // the first row carrying each number (by DuplicateKey)
    NumberComparison m_comparison;
};
