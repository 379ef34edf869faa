#pragma once

#include <QSqlDatabase>
#include <QString>

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
    // Queues the work for the next transaction without waiting; a failure is reported to the next Run caller
    // of the same group.
    void Post(Work work);

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
    bool m_stop = false;
    bool m_started = false;
    bool m_ready = false;
    bool m_openDone = false;
    QString m_openError;
    std::thread m_thread;
};
