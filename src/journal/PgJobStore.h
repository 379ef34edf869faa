#pragma once

#include "journal/JobStore.h"
#include "journal/PgUrl.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class QSqlDatabase;
class SqlConnectionThread;

// One device's share of a job, as `jobs` shows it.
struct PgJobDevice {
    QString gateway; // the gateway's name
    QString imei;
    int sent = 0;
    int failed = 0;
    int inFlight = 0; // reserved or claimed, no result yet
    int unconfirmed = 0;
};

struct PgJobProgress {
    JournalRunSummary summary; // sent, unconfirmed, notSent as a resume counts them
    bool finished = false;
    int pending = 0; // not yet reserved by any gateway
    int failed = 0;
    int skipped = 0;
    std::vector<PgJobDevice> devices;
};

// The job store shared by several gateway hosts: a PostgreSQL database through QtSql (Debian's Qt PostgreSQL
// driver). The rules of JobStore hold: a claim is committed before Claim returns, a result before RecordResult
// returns. A gateway first reserves a few rows (SELECT ... FOR UPDATE SKIP LOCKED, so no two gateways ever hold
// one row), then claims each one just before its submission. Each gateway keeps a heartbeat; the rows a gateway
// whose heartbeat stopped had reserved go back to the queue, the rows it had claimed become Unconfirmed.
//
// A lost connection (the server restarted, the network dropped) is retried with back-off, for at most
// Options::reconnectForMs; every write is repeatable, and one whose commit was not acknowledged is recognised
// when it is repeated, so nothing is claimed twice and no claim is kept that was not recorded.
class PgJobStore final : public JobStore {
public:
    struct Options {
        int heartbeatMs = 1000;      // how often a gateway tells it is alive
        int staleAfterMs = 10000;    // a gateway silent this long is taken for dead
        int reconnectForMs = 600000; // how long a lost database is waited for before the caller is told
        QString unconfirmedStatus;   // the status text of a dead gateway's claimed rows
    };
    // Why Open failed, for the caller's exit code.
    enum class Failure { None, Unreachable, LoginRefused, NoDatabase, SchemaVersion, Other };

    PgJobStore(PgUrl url, Options options);
    ~PgJobStore() override;

    [[nodiscard]] JournalResult Open() override;
    Failure OpenFailure() const { return m_failure; }
    QString Location() const override { return m_url.Display(); }
    [[nodiscard]] JournalResult CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows,
                                          qint64* runId) override;
    // A shared job has no single owner: always granted.
    [[nodiscard]] JournalResult TakeOwnership(qint64 runId) override;
    // Claims a row this gateway reserved. Taken: the reservation was lost (this gateway was taken for dead).
    [[nodiscard]] ClaimOutcome Claim(qint64 runId, int row, const QString& imei, QString* error) override;
    [[nodiscard]] JournalResult RecordResult(qint64 runId, int row, JournalRowState state, const QString& status,
                                             const QString& reference, int retry) override;
    void MarkLogged(qint64 runId, int row) override;
    [[nodiscard]] JournalResult MarkUnconfirmed(qint64 runId, const std::vector<int>& rows,
                                                const QString& status) override;
    // Gives this gateway's reservations back and marks the job finished once no row is open.
    [[nodiscard]] JournalResult FinishRun(qint64 runId) override;
    void ReleaseRun(qint64 runId) override;
    // Jobs not yet finished, oldest first.
    [[nodiscard]] JournalResult InterruptedRuns(std::vector<JournalRunSummary>* runs) override;
    [[nodiscard]] JournalResult LoadRun(qint64 runId, JournalRun* run) override;

    // ---- The submitting side ----
    // Rows decided without a submission when the job was made (excluded, duplicates): row and status text.
    [[nodiscard]] JournalResult RecordSkips(qint64 runId, const std::vector<std::pair<int, QString>>& skips);

    // ---- The gateway side ----
    // Registers this process as a gateway under the name and starts its heartbeat.
    [[nodiscard]] JournalResult StartGateway(const QString& name);
    qint64 GatewayId() const { return m_gatewayId; }
    enum class Reserve {
        Rows,  // rows holds this gateway's new reservations
        Wait,  // none free now, but other gateways still hold some (they may come back to the queue)
        Done,  // no open row is left in the job
        Failed // the database could not be reached in time: error set
    };
    // Reserves up to count free rows of the job, lowest row numbers first; rows of dead gateways are given
    // back to the queue (or marked Unconfirmed) first.
    [[nodiscard]] Reserve ReserveRows(qint64 runId, int count, std::vector<int>* rows, QString* error);
    struct FailedRow {
        int row = 0;
        QString status;
        int retry = 0;
    };
    // The job's failed rows, for a retry pass (decided once no row of the job is open).
    [[nodiscard]] JournalResult FailedRows(qint64 runId, std::vector<FailedRow>* rows);
    // A retry pass: the rows wait again with their retry count one higher. A row another gateway has already
    // put back (its retry no longer the one read) is left alone, so a pass happens once whoever starts it.
    [[nodiscard]] JournalResult Requeue(qint64 runId, const std::vector<FailedRow>& rows, int* requeued);
    // The oldest job that still has open rows (0: none).
    [[nodiscard]] JournalResult NextJob(qint64* runId);
    // Every job with its counts by gateway and device, oldest first.
    [[nodiscard]] JournalResult Progress(std::vector<PgJobProgress>* jobs);

private:
    using Work = std::function<bool(QSqlDatabase& db, QString* error)>;
    // Runs the work, repeating it after a lost connection with back-off until reconnectForMs passed.
    bool RunRetrying(const Work& work, QString* error);
    JournalResult Failed(const QString& what, const QString& error) const;
    void Heartbeat();
    bool ReclaimAllowed();

    PgUrl m_url;
    Options m_options;
    Failure m_failure = Failure::None;
    std::unique_ptr<SqlConnectionThread> m_connection;
    std::atomic<qint64> m_gatewayId{0};
    std::atomic<qint64> m_nextBatch{1};
    std::atomic<qint64> m_connectedSinceMs{0}; // steady ms of the last (re)connection
    std::atomic<qint64> m_lastReclaimMs{0};

    std::mutex m_mutex; // guards m_stop
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_heartbeat;
};
