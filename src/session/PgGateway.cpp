#include "session/PgGateway.h"

#include "journal/PgJobStore.h"
#include "modem/ModemErrorCause.h"
#include "sending/RowSource.h"
#include "sending/RunJournal.h"
#include "sending/SendRun.h"
#include "session/Session.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// The rows of one job as this gateway may take them: reserved from the database a batch at a time, handed to
// the workers one by one. While other gateways hold the job's last rows it polls, since a dead gateway's
// reservations come back to the queue.
class PgRowSource final : public RowSource {
public:
    // The job's retry rule: passes over the failed rows once none is open, as a run's retry passes.
    struct Retries {
        int passes = 0;
        bool allErrors = false; // also permanent errors (an unassigned number)
    };
    PgRowSource(PgJobStore& store, qint64 jobId, int batch, Retries retries)
        : m_store(store), m_jobId(jobId), m_batch(batch), m_retries(retries) {}

    int NextRow(const std::function<bool()>& stop) override {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (!m_queue.empty()) {
                const int row = m_queue.front();
                m_queue.pop_front();
                return row;
            }
            if (m_done || stop())
                return -1;
            if (m_reserving) { // another worker is asking the database: its rows are shared
                m_changed.wait_for(lock, std::chrono::milliseconds(50));
                continue;
            }
            m_reserving = true;
            lock.unlock();
            std::vector<int> rows;
            QString error;
            const PgJobStore::Reserve reserved = m_store.ReserveRows(m_jobId, m_batch, &rows, &error);
            lock.lock();
            m_reserving = false;
            switch (reserved) {
            case PgJobStore::Reserve::Rows:
                m_queue.insert(m_queue.end(), rows.begin(), rows.end());
                break;
            case PgJobStore::Reserve::Done:
                lock.unlock();
                if (RetryPass(&error)) {
                    lock.lock();
                    continue;
                }
                lock.lock();
                m_done = true;
                m_error = error;
                break;
            case PgJobStore::Reserve::Failed:
                m_done = true;
                m_error = error;
                break;
            case PgJobStore::Reserve::Wait:
                // Rows in other gateways' hands: ask again shortly (a dead gateway's rows come back).
                m_changed.notify_all();
                m_changed.wait_for(lock, std::chrono::milliseconds(kPollMs));
                continue;
            }
            m_changed.notify_all();
        }
    }
    QString Error() const {
        std::lock_guard lock(m_mutex);
        return m_error;
    }
    // No row of the job is open any more (or the database was lost: Error).
    bool Done() const {
        std::lock_guard lock(m_mutex);
        return m_done;
    }

private:
    // Starts the next retry pass when the rule allows one; false when no row went back to the queue.
    bool RetryPass(QString* error) {
        if (m_retries.passes <= 0)
            return false;
        std::vector<PgJobStore::FailedRow> failed;
        JournalResult read = m_store.FailedRows(m_jobId, &failed);
        std::vector<PgJobStore::FailedRow> again;
        for (const PgJobStore::FailedRow& r : failed) {
            if (r.retry < m_retries.passes &&
                (m_retries.allErrors || ModemErrorCause::Of(r.status).kind != ModemErrorCause::Kind::Permanent))
                again.push_back(r);
        }
        int requeued = 0;
        if (read.ok && !again.empty())
            read = m_store.Requeue(m_jobId, again, &requeued);
        if (!read.ok)
            *error = read.message;
        return read.ok && requeued > 0;
    }

    static constexpr int kPollMs = 200;
    PgJobStore& m_store;
    const qint64 m_jobId;
    const int m_batch;
    const Retries m_retries;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_queue;
    bool m_reserving = false;
    bool m_done = false;
    QString m_error;
};

} // namespace

PgGateway::PgGateway(Session& session, PgJobStore& store, Options options)
    : m_session(session), m_store(store), m_options(std::move(options)) {}

JournalResult PgGateway::Run(const SendCommand::OpenRun& open, Outcome* outcome) {
    *outcome = Outcome();
    const JournalResult started = m_store.StartGateway(m_options.name);
    if (!started.ok)
        return started;
    if (m_options.jobId != 0)
        return RunJob(m_options.jobId, open, outcome);
    qint64 last = 0;
    for (;;) {
        if (m_options.stopped && m_options.stopped())
            return JournalResult::Ok();
        qint64 jobId = 0;
        const JournalResult next = m_store.NextJob(&jobId);
        if (!next.ok)
            return next;
        if (jobId == 0)
            return JournalResult::Ok();
        if (jobId == last) // its last rows are still open elsewhere: wait for them rather than spin
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        last = jobId;
        const JournalResult ran = RunJob(jobId, open, outcome);
        if (!ran.ok)
            return ran;
    }
}

JournalResult PgGateway::RunJob(qint64 jobId, const SendCommand::OpenRun& open, Outcome* outcome) {
    auto run = std::make_shared<JournalRun>();
    const JournalResult loaded = m_store.LoadRun(jobId, run.get());
    if (!loaded.ok)
        return loaded;
    SendOptions options;
    if (!m_session.ApplyRunSettings(run->options, &options))
        return JournalResult::Error(QStringLiteral("The settings of job %1 could not be read.").arg(jobId));
    // Decided when the job was submitted; retry passes are the job's (the row source's), since one gateway's own
    // passes would see only its own rows.
    options.skipDuplicates = false;
    options.useExclusion = false;
    const PgRowSource::Retries retries{options.retriesOn ? options.totalRetries : 0, options.retryAllErrors};
    options.retriesOn = false;

    // The job is continued as a resumed run is: rows decided elsewhere are done here, rows claimed elsewhere
    // are left to their gateway (the row source never hands them out).
    auto resume = std::make_shared<ResumePlan>();
    resume->runId = jobId;
    resume->states = run->states;
    resume->resendUnconfirmed = true;
    auto rows = std::make_shared<const std::vector<JournalRowText>>(std::move(run->rows));
    const int devices = static_cast<int>(m_session.Devices().Records().size());
    PgRowSource source(m_store, jobId, m_options.batch > 0 ? m_options.batch : std::max(1, devices), retries);
    bool opened = false;
    const bool planned = m_session.RunRows(options, rows, resume, [&](SendContext context) {
        opened = true;
        context.journal = &m_store;
        context.resume = resume;
        context.rowSource = &source;
        context.journalSpec = JournalRunSpec();
        ++outcome->jobs;
        open(std::move(context));
    });
    if (!planned || !opened)
        return JournalResult::Error(
            QStringLiteral("Job %1 could not be started on this gateway's devices.").arg(jobId));
    if (!source.Error().isEmpty())
        return JournalResult::Error(source.Error());
    // The workers left with rows still open (quotas used up, ports failed): this gateway can do no more for it.
    if (!source.Done() && !(m_options.stopped && m_options.stopped()))
        return JournalResult::Error(QStringLiteral("Job %1 still has rows to send, but none of this gateway's devices "
                                                   "can take them (quota used up or port failed).")
                                        .arg(jobId));
    return JournalResult::Ok();
}
