#include "journal/SqlConnectionThread.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

struct SqlConnectionThread::Item {
    Work work;
    bool wait = false;
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
    m_queue.push_back(item);
    m_wake.notify_all();
    m_wake.wait(lock, [&] { return item->done; });
    if (!item->ok && error)
        *error = item->error;
    if (lost)
        *lost = item->lost;
    return item->ok;
}

void SqlConnectionThread::Post(Work work) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    std::lock_guard lock(m_mutex);
    if (!m_ready)
        return;
    m_queue.push_back(std::move(item));
    m_wake.notify_all();
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
                    group.swap(m_queue);
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
        *error = db.lastError().text();
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
        error = db.lastError().text();
    }
    for (const auto& item : group) {
        if (!ok)
            break;
        ok = item->work(db, &error);
    }
    if (ok && !db.commit()) {
        ok = false;
        error = db.lastError().text();
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
            item->done = true;
        }
    }
    m_wake.notify_all();
}
