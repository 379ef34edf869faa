#pragma once

#include <QSqlDatabase>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// One database connection on a thread of its own. QtSql connections belong to the thread that made them, and
// the engine's workers are many threads, so every statement runs here. Work queued while a commit is under
// way is gathered into the next transaction (a group commit): each caller of Run returns only after the
// transaction holding its own work has committed, so durability per caller is kept while several workers
// share one sync to disk.
class SqlConnectionThread {
public:
    // Work on the connection; false with the error set when it failed (the whole group is rolled back).
    using Work = std::function<bool(QSqlDatabase& db, QString* error)>;

    // driver: a QtSql driver name ("QSQLITE"); open: run once on the new connection after it opened (pragmas,
    // schema); false stops the thread with its error. configure: sets what a server connection needs besides
    // the database name (host, port, user) before each open.
    SqlConnectionThread(QString driver, QString databaseName, Work open,
                        std::function<void(QSqlDatabase&)> configure = {});
    ~SqlConnectionThread(); // runs what was queued, then closes the connection
    SqlConnectionThread(const SqlConnectionThread&) = delete;
    SqlConnectionThread& operator=(const SqlConnectionThread&) = delete;

    // Starts the thread and opens the connection; false with the reason when it could not.
    [[nodiscard]] bool Start(QString* error);
    // Runs the work in a transaction (shared with other queued work) and waits for its commit. lost (optional):
    // set when the group failed because the connection was gone; the next group then opens a new connection
    // first (a database server restarted), so the caller may try again.
    [[nodiscard]] bool Run(Work work, QString* error, bool* lost = nullptr);
    // How long posted work alone waits for a waiting caller to share its transaction (ms); it is committed
    // then in any case, so a posted result is durable within this time or with the next claim.
    static constexpr std::chrono::milliseconds kPostedDelay{2};

    // Queues the work for the next transaction without waiting. A failure is kept: every later Run (and
    // Barrier) reports it, so nothing that must be durable is taken as such after a lost write. after (may be
    // empty) runs on the connection's thread once the transaction holding the work has ended (committed or
    // not); later groups wait for it.
    void Post(Work work, std::function<void()> after = {});
    // Waits until everything queued before has ended (its after steps included); false with the kept error
    // when any posted work failed since the start.
    [[nodiscard]] bool Barrier(QString* error);

private:
    struct Item;
    void Loop();
    void RunGroup(std::deque<std::shared_ptr<Item>>& group);
    bool OpenConnection(QSqlDatabase& db, QString* error);

    QString m_driver;
    QString m_databaseName;
    QString m_connectionName;
    Work m_open;
    std::function<void(QSqlDatabase&)> m_configure;
    bool m_reconnect = false; // the connection was lost: open a new one before the next group (its thread only)

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Item>> m_queue;
    int m_waitingQueued = 0; // items in m_queue whose callers wait (Run, Barrier)
    bool m_stop = false;
    bool m_started = false;
    bool m_ready = false;
    bool m_openDone = false;
    QString m_openError;
    QString m_postedError; // the first failure of posted work; every later Run fails with it
    std::thread m_thread;
};
