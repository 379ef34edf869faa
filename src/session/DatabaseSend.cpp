#include "session/DatabaseSend.h"

#include "app/Prompter.h"
#include "journal/PgJobStore.h"
#include "sending/RunJournal.h"
#include "sending/SendObserver.h"
#include "sending/SendRun.h"
#include "session/PgJobs.h"
#include "session/Session.h"

#include <chrono>

DatabaseSend::DatabaseSend(std::unique_ptr<PgJobStore> store, Prompter& prompter, Options options)
    : m_store(std::move(store)), m_prompter(prompter), m_options(options) {}

DatabaseSend::DatabaseSend(std::unique_ptr<PgJobStore> store, Prompter& prompter)
    : DatabaseSend(std::move(store), prompter, Options{}) {}

DatabaseSend::~DatabaseSend() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_follower.joinable())
        m_follower.join();
}

JournalResult DatabaseSend::OpenStore(const PgUrl& url, std::unique_ptr<PgJobStore>* store) {
    PgJobStore::Options options;
    options.unconfirmedStatus = RunJournal::kUnconfirmed;
    // The window reads the job again anyway: a lost database holds one read (and a closing window) for at
    // most this long, not a gateway's ten minutes.
    options.reconnectForMs = 30000;
    auto opened = std::make_unique<PgJobStore>(url, options);
    const JournalResult result = opened->Open();
    if (result.ok)
        *store = std::move(opened);
    return result;
}

JournalResult DatabaseSend::Submit(Session& session) {
    PgJobs::Submitted submitted;
    const JournalResult made = PgJobs::Submit(session, *m_store, &submitted);
    if (!made.ok)
        return made;
    m_jobId = submitted.jobId;
    m_clearAfter = session.SendOptions().Options().clearAfterSend;
    return PgJobs::Load(*m_store, m_jobId, &m_job, &m_withRetry);
}

QString DatabaseSend::Location() const {
    return m_store->Location();
}

void DatabaseSend::Open(SendObserver& observer) {
    m_observer = &observer;
    observer.Caption(SendRun::kCaptionRunning);
    observer.StatusLabel(SendRun::kPopulating);
    observer.HelpText(SendRun::kHelpRunning);
    observer.StopEnabled(true);
    m_follower = std::thread([this] { Follow(); });
}

void DatabaseSend::Follow() {
    for (;;) {
        if (Poll()) {
            End();
            return;
        }
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(m_options.pollMs), [this] { return m_quit || m_pollNow; });
        if (m_quit)
            return;
        m_pollNow = false;
    }
}

bool DatabaseSend::Poll() {
    // Whether the job is still open is read first, so the rows read after it are final once it is not.
    bool open = true;
    const JournalResult state = m_store->JobOpen(m_jobId, &open);
    SendJob fresh;
    bool withRetry = false;
    const JournalResult loaded = state.ok ? PgJobs::Load(*m_store, m_jobId, &fresh, &withRetry) : state;
    if (!loaded.ok) {
        m_observer->Diagnostic(loaded.message); // the store already waited for the database: try again later
        return false;
    }
    const int columns = static_cast<int>(SendJob::ColumnCaptions().size());
    const int total = m_job.RowCount();
    int processed = 0;
    for (int row = 0; row < total && row < fresh.RowCount(); ++row) {
        bool changed = false;
        for (int c = 0; c < columns; ++c) {
            const auto column = static_cast<SendJob::Column>(c);
            const QString text = fresh.Text(row, column);
            if (text != m_job.Text(row, column)) {
                m_job.SetText(row, column, text);
                changed = true;
            }
        }
        if (changed)
            m_observer->RowChanged(row);
        const QString use = m_job.Text(row, SendJob::kUseStatus);
        if (use == SendJob::kDone || use == SendJob::kStopped)
            ++processed;
    }
    m_observer->Progress(processed, total, SendJob::ProgressLabel(processed, total));
    m_observer->ActivityStep();
    return !open;
}

void DatabaseSend::End() {
    m_observer->ActivityReset();
    m_observer->StatusLabel(SendRun::kFinish);
    m_observer->Finished();
    if (m_clearAfter && !m_stopped.load())
        m_observer->ClearFieldsRequested();
    bool close = false;
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        close = m_closeRequested;
        m_closed = close;
    }
    m_changed.notify_all();
    if (close)
        m_observer->Closed();
}

void DatabaseSend::RequestStop(bool close) {
    if (m_observer == nullptr)
        return; // not opened: nothing follows the job
    bool closeNow = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        if (m_finished) {
            if (!close)
                return;
            m_closed = closeNow = true;
        } else if (m_stopped.load()) {
            // Stopped already: the job's last claimed rows are awaited; a close request closes at the end.
            m_closeRequested = m_closeRequested || close;
            return;
        }
    }
    if (closeNow) {
        m_changed.notify_all();
        m_observer->Closed();
        return;
    }
    if (!m_prompter.Confirm(SendRun::kStopQuestion))
        return;
    int stopped = 0;
    const JournalResult result = m_store->StopJob(m_jobId, SendJob::kStopped, &stopped);
    if (!result.ok) {
        m_prompter.Notice(result.message);
        return;
    }
    m_stopped = true;
    m_observer->StopEnabled(false);
    {
        std::lock_guard lock(m_mutex);
        // The job may have ended while the question was open: its end was told without the close.
        if (close && m_finished)
            m_closed = closeNow = true;
        else
            m_closeRequested = m_closeRequested || close;
        m_pollNow = true;
    }
    m_changed.notify_all();
    if (closeNow)
        m_observer->Closed();
}

bool DatabaseSend::WaitForEnd(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_finished || m_closed; });
}

bool DatabaseSend::IsFinished() const {
    std::lock_guard lock(m_mutex);
    return m_finished;
}
