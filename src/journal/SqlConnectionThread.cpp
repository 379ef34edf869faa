#include "journal/SqlConnectionThread.h"
#include "journal/SqlErrorText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

struct SqlConnectionThread::Item {
    Work work;
    std::function<void()> after;
    bool wait = false;
    bool barrier = false; // done only once the group's after steps ran
    bool done = false;
    bool ok = false;
    bool lost = false;
    QString error;
};

SqlConnectionThread::SqlConnectionThread(QString driver, QString databaseName, Work open,
                                         std::function<void(QSqlDatabase&)> configure)
    : m_driver(std::move(driver)), m_databaseName(std::move(databaseName)),
      m_connectionName(QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_open(std::move(open)), m_configure(std::move(configure)) {}

SqlConnectionThread::~SqlConnectionThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool SqlConnectionThread::Start(QString* error) {
    std::unique_lock lock(m_mutex);
    if (!m_started) {
        m_started = true;
        m_thread = std::thread([this] { Loop(); });
    }
    m_wake.wait(lock, [this] { return m_openDone; });
    if (!m_ready && error)
        *error = m_openError;
    return m_ready;
}

bool SqlConnectionThread::Run(Work work, QString* error, bool* lost) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    item->wait = true;
    std::unique_lock lock(m_mutex);
    if (!m_ready) {
        if (error)
            *error = m_openError.isEmpty() ? QStringLiteral("the journal is not open") : m_openError;
        return false;
    }
    if (!m_postedError.isEmpty()) {
        if (error)
            *error = m_postedError;
        return false;
    }
    m_queue.push_back(item);
    ++m_waitingQueued;
    m_wake.notify_all();
    m_wake.wait(lock, [&] { return item->done; });
    if (!item->ok && error)
        *error = item->error;
    if (lost)
        *lost = item->lost;
    return item->ok;
}

void SqlConnectionThread::Post(Work work, std::function<void()> after) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    item->after = std::move(after);
    {
        std::lock_guard lock(m_mutex);
        if (m_ready) {
            m_queue.push_back(std::move(item));
            m_wake.notify_all();
            return;
        }
    }
    if (item->after)
        item->after(); // nothing will be written: the step must not wait for ever
}

bool SqlConnectionThread::Barrier(QString* error) {
    auto item = std::make_shared<Item>();
    item->work = [](QSqlDatabase&, QString*) { return true; };
    item->wait = true;
    item->barrier = true;
    std::unique_lock lock(m_mutex);
    if (m_ready) {
        m_queue.push_back(item);
        ++m_waitingQueued;
        m_wake.notify_all();
        m_wake.wait(lock, [&] { return item->done; });
    }
    const QString failure = !m_ready ? m_openError : !m_postedError.isEmpty() ? m_postedError : item->error;
    if (failure.isEmpty() && (!m_ready || item->ok))
        return true;
    if (error)
        *error = failure.isEmpty() ? QStringLiteral("the journal is not open") : failure;
    return false;
}

void SqlConnectionThread::Loop() {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_driver, m_connectionName);
        QString error;
        const bool ok = OpenConnection(db, &error);
        {
            std::lock_guard lock(m_mutex);
            m_ready = ok;
            m_openError = error;
            m_openDone = true;
        }
        m_wake.notify_all();
        if (ok) {
            std::deque<std::shared_ptr<Item>> group;
            for (;;) {
                {
                    std::unique_lock lock(m_mutex);
                    m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
                    if (m_queue.empty())
                        break;
                    // Only posted work: a waiting caller (a worker's next claim, microseconds away as a rule)
                    // gets a moment to join it, so that both share one sync instead of taking one each.
                    if (m_waitingQueued == 0 && !m_stop)
                        m_wake.wait_for(lock, kPostedDelay, [this] { return m_stop || m_waitingQueued > 0; });
                    group.swap(m_queue);
                    m_waitingQueued = 0;
                }
                RunGroup(group);
                group.clear();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool SqlConnectionThread::OpenConnection(QSqlDatabase& db, QString* error) {
    db.setDatabaseName(m_databaseName);
    if (m_configure)
        m_configure(db);
    if (!db.open()) {
        *error = SqlErrorText(db.lastError());
        return false;
    }
    return !m_open || m_open(db, error);
}

void SqlConnectionThread::RunGroup(std::deque<std::shared_ptr<Item>>& group) {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    bool ok = true;
    QString error;
    if (m_reconnect) {
        db.close();
        ok = OpenConnection(db, &error);
        m_reconnect = !ok;
    }
    if (ok && !db.transaction()) {
        ok = false;
        error = SqlErrorText(db.lastError());
    }
    for (const auto& item : group) {
        if (!ok)
            break;
        ok = item->work(db, &error);
    }
    if (ok && !db.commit()) {
        ok = false;
        error = SqlErrorText(db.lastError());
    }
    if (!ok && !m_reconnect) {
        db.rollback();
        // A failure with the connection gone (a server restarted or unreachable): the next group reconnects.
        QSqlQuery probe(db);
        m_reconnect = !db.isOpen() || !probe.exec(QStringLiteral("SELECT 1"));
    }
    const bool lost = !ok && m_reconnect;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& item : group) {
            item->ok = ok;
            item->lost = lost;
            item->error = error;
            item->done = !item->barrier;
            // A posted write lost with its connection (a server restarted) is not kept as a failure: the shared
            // back end repeats its own work after reconnecting, and what it posts is not waited for.
            if (!ok && !lost && !item->wait && m_postedError.isEmpty())
                m_postedError = error.isEmpty() ? QStringLiteral("a write failed") : error;
        }
    }
    // Waiting writers go on at once; the after steps follow the commit, and a barrier waits for them too.
    m_wake.notify_all();
    for (const auto& item : group) {
        if (item->after)
            item->after();
    }
    {
        std::lock_guard lock(m_mutex);
        for (const auto& item : group)
            item->done = true;
    }
    m_wake.notify_all();
}
