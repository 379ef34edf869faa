#pragma once

#include "journal/JobStore.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class SendJob;

// What a resumed run continues: its journal run and each row's state there, in row order.
struct ResumePlan {
    qint64 runId = 0;
    std::vector<JournalRowRecord> states;
    bool resendUnconfirmed = false; // rows claimed without a result are sent again (the user agreed)
};

// A run's side of the job store: creates (or takes over) the journal run, makes each row's claim durable
// before its submission and records each result when the device answers. After a write failed every further
// claim is refused, so no row is submitted without a durable claim. Used by the run and its workers at once.
class RunJournal {
public:
    static inline const QString kUnconfirmed = QStringLiteral("Unconfirmed: may have been sent.");

    explicit RunJournal(JobStore& store);

    // A new run of the job's rows. False with the error when it could not be recorded.
    [[nodiscard]] bool Begin(const SendJob& job, const JournalRunSpec& spec, QString* error);
    // Continues a journal run; marks the rows it reports unconfirmed. The job already holds the run's rows.
    [[nodiscard]] bool Resume(const ResumePlan& plan, QString* error);

    enum class Claim { Claimed, AlreadySent, Failed };
    // Durable on return when Claimed; Failed also for every claim after a failed write.
    [[nodiscard]] Claim ClaimRow(int row, const QString& imei, QString* error);
    // The device's answer: a sent or failed result with the device's message references (empty when none),
    // or kUnconfirmed (the port failed during the submission). Other results, such as a stop between parts,
    // leave the row claimed, since its submission had begun. Not waited for: the result is durable with the
    // next commit, which the worker's next claim waits for (one sync per row and worker, shared between
    // workers). Anything that must follow a durable result goes through AfterDurable.
    void Result(int row, const QString& status, const QString& references, int retry);
    // Runs step once every result given so far is durable (or its write failed; the run then stops at the
    // next claim). The sent-items entry of a row goes this way, so the log never runs ahead of the journal.
    void AfterDurable(std::function<void()> step);
    void Logged(int row);
    // Waits until every result given so far is durable (or failed: reported then, once).
    void Flush();
    // The run ended (finished or stopped by the user): it is no longer offered for a resume.
    void Finish();

    bool HasFailed() const { return m_failed.load(); }
    // Why the journal failed (empty while it has not).
    QString Error() const;
    qint64 RunId() const { return m_runId; }

private:
    bool Fail(const QString& message, QString* error);

    JobStore& m_store;
    qint64 m_runId = 0;
    std::atomic<bool> m_failed{false};
    mutable std::mutex m_errorMutex; // guards m_error
    QString m_error;
    std::once_flag m_finished;
};
