#pragma once

#include "journal/JournalTypes.h"
#include "journal/PgUrl.h"
#include "sending/SendJob.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class PgJobStore;
class Prompter;
class SendObserver;
class Session;

// A send through a job database instead of this host's devices: the session's list becomes a job (as
// `bulksms-cli submit` makes it), the gateway hosts send it, and this follows the job in the database, telling
// the observer (the sending window) each row's device, state and result as a run would, until every row is
// decided. Stop decides the rows no gateway has claimed yet as "Stopped"; claimed rows still get their results.
class DatabaseSend {
public:
    struct Options {
        int pollMs = 500; // how often the job is read again
    };

    DatabaseSend(std::unique_ptr<PgJobStore> store, Prompter& prompter, Options options);
    DatabaseSend(std::unique_ptr<PgJobStore> store, Prompter& prompter);
    ~DatabaseSend(); // stops following (the job goes on in the database)
    DatabaseSend(const DatabaseSend&) = delete;
    DatabaseSend& operator=(const DatabaseSend&) = delete;

    // Opens the job database the URL names (the password only ever goes to the server).
    [[nodiscard]] static JournalResult OpenStore(const PgUrl& url, std::unique_ptr<PgJobStore>* store);

    // Records the session's list, message and options as a job, and loads its rows: the table the window
    // shows before the first progress. The list must not be empty.
    [[nodiscard]] JournalResult Submit(Session& session);
    // Starts following the job; the observer (which must outlive this object) hears of every change.
    void Open(SendObserver& observer);
    // "Stop" (close = false) or closing the window (close = true). While the job is open the user is asked
    // first; a yes stops the job's unclaimed rows. A close request closes once the job has no open row.
    void RequestStop(bool close);
    bool WaitForEnd(int timeoutMs);
    bool IsFinished() const;

    SendJob& Job() { return m_job; }
    qint64 JobId() const { return m_jobId; }
    QString Location() const; // the database's URL without the password
    bool WithRetry() const { return m_withRetry; }

private:
    void Follow();
    // Reads the job once: changed rows told, progress told; true once no row can change any more.
    bool Poll();
    void End();

    std::unique_ptr<PgJobStore> m_store;
    Prompter& m_prompter;
    Options m_options;
    SendJob m_job;
    qint64 m_jobId = 0;
    bool m_withRetry = false;
    bool m_clearAfter = false; // "Clear all fields after sending SMS"
    std::atomic<bool> m_stopped{false};
    SendObserver* m_observer = nullptr;

    mutable std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    bool m_quit = false;
    bool m_finished = false;
    bool m_closeRequested = false;
    bool m_closed = false;
    bool m_pollNow = false;
    std::thread m_follower;
};
