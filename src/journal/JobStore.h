#pragma once

#include "journal/JournalTypes.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Where runs are kept durably: a run's rows, its options and its devices, and each row's claim and result. The
// one rule every back end keeps: a claim is durable when Claim returns, before the caller writes the first
// byte of the row's submission; a result is durable when RecordResult returns. Every call may come from any
// thread; an implementation serialises them itself and may commit several callers' changes together, as long
// as none of them returns before its own change is durable.
//
// The embedded back end (SQLite, one host) is SqliteJobStore. A back end shared by several hosts answers
// Claim with Taken for a row another host holds (SELECT ... FOR UPDATE SKIP LOCKED) and keeps ownership by
// heartbeat instead of TakeOwnership's lock file.
class JobStore {
public:
    virtual ~JobStore() = default;

    // Opens (creating when missing) the store. A file that is no journal, or a damaged one, is set aside and a
    // new one started: the result is then ok with a notice saying where the old file went.
    [[nodiscard]] virtual JournalResult Open() = 0;
    // A human-readable name of the store (its file), for messages.
    virtual QString Location() const = 0;

    // Records a new run with every row (pending) and its devices; the run is owned by this process until
    // FinishRun or the store closes. Durable on return.
    [[nodiscard]] virtual JournalResult CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows,
                                                  qint64* runId) = 0;
    // Takes an interrupted run over for a resume: false (Taken) when a live process owns it.
    [[nodiscard]] virtual JournalResult TakeOwnership(qint64 runId) = 0;

    enum class ClaimOutcome { Claimed, Taken, Failed };
    // Claims a row for a device (by IMEI) with the current time. Claimed: durable. Taken: another owner holds
    // it (only a shared store). Failed: nothing durable, error set; the caller must not submit the row.
    [[nodiscard]] virtual ClaimOutcome Claim(qint64 runId, int row, const QString& imei, QString* error) = 0;
    // The row's result: its final state, the status text and the device's message reference (empty when
    // unknown). Durable on return.
    [[nodiscard]] virtual JournalResult RecordResult(qint64 runId, int row, JournalRowState state,
                                                     const QString& status, const QString& reference, int retry) = 0;
    // RecordResult without waiting: the result becomes durable with the next commit (at the latest the next
    // Claim or Flush of any caller, which wait for it); a failure to write it makes every later Claim and
    // Flush fail. A back end without group commits may write it at once (the default).
    virtual void PostResult(qint64 runId, int row, JournalRowState state, const QString& status,
                            const QString& reference, int retry, QString* error) {
        const JournalResult recorded = RecordResult(runId, row, state, status, reference, retry);
        if (!recorded.ok && error)
            *error = recorded.message;
    }
    // Runs step once everything recorded or posted before is durable (or has failed: the failure is then
    // reported by Flush). The default store is durable on return, so the step runs at once.
    virtual void WhenDurable(std::function<void()> step) { step(); }
    // Waits until everything posted before is durable; an error when any of it could not be written.
    [[nodiscard]] virtual JournalResult Flush() { return JournalResult::Ok(); }
    // The row's entry reached the sent-items log. Not waited for: it becomes durable with the next commit.
    virtual void MarkLogged(qint64 runId, int row) = 0;
    // Rows claimed without a result when their run was interrupted, now reported "Unconfirmed".
    [[nodiscard]] virtual JournalResult MarkUnconfirmed(qint64 runId, const std::vector<int>& rows,
                                                        const QString& status) = 0;
    // The run has ended (every row decided, or the user stopped it): it is no longer offered for a resume.
    [[nodiscard]] virtual JournalResult FinishRun(qint64 runId) = 0;
    // Gives up ownership of a run without finishing it (it is offered for a resume later).
    virtual void ReleaseRun(qint64 runId) = 0;

    // Runs that were neither finished nor are owned by a live process, newest first, with their counts.
    [[nodiscard]] virtual JournalResult InterruptedRuns(std::vector<JournalRunSummary>* runs) = 0;
    // Everything a resume needs of one run: rows in order with their states, options and devices.
    [[nodiscard]] virtual JournalResult LoadRun(qint64 runId, JournalRun* run) = 0;
};
