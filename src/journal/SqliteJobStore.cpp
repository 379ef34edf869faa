#include "journal/SqliteJobStore.h"

#include "journal/SqlConnectionThread.h"
#include "journal/SqlErrorText.h"
#include "journal/SqliteSchema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The first 16 bytes of every SQLite 3 database file.
const QByteArray kSqliteHeader("SQLite format 3\0", 16);
// The open step marks a file it cannot trust with this text, so Open sets it aside instead of failing.
const QString kUnreadable = QStringLiteral("unreadable journal");

bool Exec(QSqlQuery& query, QString* error) {
    if (query.exec())
        return true;
    *error = SqlErrorText(query.lastError());
    return false;
}

bool Exec(QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    *error = SqlErrorText(query.lastError());
    return false;
}

// One value of a PRAGMA (or any one-value query); nullopt with the error when it failed.
std::optional<QVariant> Value(QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next()) {
        *error = SqlErrorText(query.lastError());
        return std::nullopt;
    }
    return query.value(0);
}

// QtSql binds a null QString as NULL: an empty text (a device without IMEI, a blank message) is stored as ''.
QString Text(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

// Settings and schema on a new connection. A file that is no journal of ours, or fails SQLite's check, is
// reported as kUnreadable and never read further.
bool PrepareConnection(QSqlDatabase& db, QString* error) {
    // A damaged header or page shows here first; nothing has been read from the tables yet.
    const auto check = Value(db, QStringLiteral("PRAGMA quick_check"), error);
    if (!check || check->toString() != QLatin1String("ok")) {
        *error = kUnreadable + QStringLiteral(": ") + (check ? check->toString() : *error);
        return false;
    }
    const auto appId = Value(db, QStringLiteral("PRAGMA application_id"), error);
    const auto version = Value(db, QStringLiteral("PRAGMA user_version"), error);
    const auto tables = Value(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), error);
    if (!appId || !version || !tables)
        return false;
    const int migrations = static_cast<int>(SqliteSchema::Migrations().size());
    const bool empty = tables->toInt() == 0 && appId->toInt() == 0;
    if (!empty && (appId->toInt() != SqliteJobStore::kApplicationId || version->toInt() > migrations)) {
        *error = kUnreadable + QStringLiteral(": not a run journal of this program (or of a newer version)");
        return false;
    }
    if (!Exec(db, QStringLiteral("PRAGMA busy_timeout = 10000"), error) ||
        !Exec(db, QStringLiteral("PRAGMA journal_mode = WAL"), error) ||
        !Exec(db, QStringLiteral("PRAGMA synchronous = FULL"), error))
        return false;
    for (int v = empty ? 0 : version->toInt(); v < migrations; ++v) {
        if (!db.transaction()) {
            *error = SqlErrorText(db.lastError());
            return false;
        }
        bool ok = true;
        for (const QString& statement : SqliteSchema::Migrations().at(v))
            ok = ok && Exec(db, statement, error);
        ok = ok && Exec(db, QStringLiteral("PRAGMA application_id = %1").arg(SqliteJobStore::kApplicationId), error) &&
             Exec(db, QStringLiteral("PRAGMA user_version = %1").arg(v + 1), error);
        if (!ok || !db.commit()) {
            if (ok)
                *error = SqlErrorText(db.lastError());
            db.rollback();
            return false;
        }
    }
    return true;
}

JournalRowState StateOf(int value) {
    return value >= 0 && value <= static_cast<int>(JournalRowState::Skipped) ? static_cast<JournalRowState>(value)
                                                                              : JournalRowState::Pending;
}

} // namespace

SqliteJobStore::SqliteJobStore(QString path) : m_path(std::move(path)) {}

SqliteJobStore::~SqliteJobStore() {
    m_connection.reset(); // everything queued is committed first
}

QString SqliteJobStore::SetAsidePath(const QString& path, const QDateTime& when) {
    return path + QStringLiteral(".unreadable-") + when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

SqliteJobStore::OpenFailure SqliteJobStore::TryOpen(QString* error) {
    QFile file(m_path);
    if (file.exists() && file.size() > 0) {
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return OpenFailure::Error;
        }
        const QByteArray head = file.read(kSqliteHeader.size());
        file.close();
        if (head != kSqliteHeader) {
            *error = kUnreadable;
            return OpenFailure::Unreadable;
        }
    }
    m_connection = std::make_unique<SqlConnectionThread>(QStringLiteral("QSQLITE"), m_path, PrepareConnection);
    if (m_connection->Start(error))
        return OpenFailure::None;
    m_connection.reset();
    if (error->startsWith(kUnreadable) || error->contains(QLatin1String("malformed")) ||
        error->contains(QLatin1String("not a database")))
        return OpenFailure::Unreadable;
    return OpenFailure::Error;
}

JournalResult SqliteJobStore::Open() {
    QString error;
    const OpenFailure failure = TryOpen(&error);
    if (failure == OpenFailure::None)
        return JournalResult::Ok();
    if (failure == OpenFailure::Error)
        return Failed(QStringLiteral("opened"), error);
    // Set the whole file aside (with its write-ahead log), then start a new journal.
    const QString firstError = error;
    const QString aside = SetAsidePath(m_path, QDateTime::currentDateTimeUtc());
    if (!QFile::rename(m_path, aside))
        return Failed(QStringLiteral("set aside"), QStringLiteral("it is no readable run journal and could not be "
                                                                  "renamed"));
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(m_path + suffix))
            QFile::rename(m_path + suffix, aside + suffix);
    }
    if (TryOpen(&error) != OpenFailure::None)
        return Failed(QStringLiteral("opened"), error);
    return JournalResult{true, QStringLiteral("The run journal %1 could not be read (%2). It was set aside as %3 and "
                                              "a new journal was started.")
                                   .arg(m_path, firstError, aside)};
}

JournalResult SqliteJobStore::Failed(const QString& what, const QString& error) const {
    return JournalResult::Error(
        QStringLiteral("The run journal %1 could not be %2: %3").arg(m_path, what, error.trimmed()));
}

QString SqliteJobStore::RunLockPath(qint64 runId) const { return m_path + QStringLiteral(".run%1.lock").arg(runId); }

bool SqliteJobStore::LockRun(qint64 runId) {
    std::lock_guard lock(m_mutex);
    if (m_owned.count(runId) != 0)
        return true;
    auto file = std::make_unique<QLockFile>(RunLockPath(runId));
    file->setStaleLockTime(0); // only a lock whose process is gone is stale
    if (!file->tryLock(0))
        return false;
    m_owned[runId] = std::move(file);
    return true;
}

void SqliteJobStore::ReleaseRun(qint64 runId) {
    std::lock_guard lock(m_mutex);
    m_owned.erase(runId);
}

JournalResult SqliteJobStore::CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows,
                                        qint64* runId) {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    qint64 id = 0;
    QString error;
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery run(db);
            run.prepare(QStringLiteral("INSERT INTO runs (created_ms, options, row_count) VALUES (?, ?, ?)"));
            run.addBindValue(NowMs());
            run.addBindValue(spec.options.isNull() ? QByteArray("") : spec.options); // never NULL
            run.addBindValue(static_cast<qint64>(rows.size()));
            if (!Exec(run, e))
                return false;
            id = run.lastInsertId().toLongLong();
            QSqlQuery device(db);
            device.prepare(QStringLiteral("INSERT INTO run_devices (run_id, imei, port, entry) VALUES (?, ?, ?, ?)"));
            for (const JournalDevice& d : spec.devices) {
                device.addBindValue(id);
                device.addBindValue(Text(d.imei));
                device.addBindValue(Text(d.port));
                device.addBindValue(Text(d.entry));
                if (!Exec(device, e))
                    return false;
            }
            QSqlQuery message(db);
            message.prepare(QStringLiteral("INSERT INTO run_messages (run_id, id, text) VALUES (?, ?, ?)"));
            QSqlQuery row(db);
            row.prepare(QStringLiteral("INSERT INTO run_rows (run_id, row, number, message_id) VALUES (?, ?, ?, ?)"));
            QHash<QString, int> messageIds;
            for (size_t r = 0; r < rows.size(); ++r) {
                auto it = messageIds.constFind(rows[r].message);
                if (it == messageIds.constEnd()) {
                    it = messageIds.insert(rows[r].message, static_cast<int>(messageIds.size()));
                    message.addBindValue(id);
                    message.addBindValue(*it);
                    message.addBindValue(Text(rows[r].message));
                    if (!Exec(message, e))
                        return false;
                }
                row.addBindValue(id);
                row.addBindValue(static_cast<int>(r));
                row.addBindValue(Text(rows[r].number));
                row.addBindValue(*it);
                if (!Exec(row, e))
                    return false;
            }
            return true;
        },
        &error);
    if (!ok)
        return Failed(QStringLiteral("written"), error);
    if (!LockRun(id))
        return Failed(QStringLiteral("locked"), QStringLiteral("another process holds run %1").arg(id));
    *runId = id;
    return JournalResult::Ok();
}

JournalResult SqliteJobStore::TakeOwnership(qint64 runId) {
    if (!LockRun(runId))
        return JournalResult::Error(QStringLiteral("Run %1 is being sent by another program.").arg(runId));
    return JournalResult::Ok();
}

JobStore::ClaimOutcome SqliteJobStore::Claim(qint64 runId, int row, const QString& imei, QString* error) {
    if (!m_connection) {
        *error = Failed(QStringLiteral("written"), QStringLiteral("it is not open")).message;
        return ClaimOutcome::Failed;
    }
    bool taken = false;
    QString e;
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* err) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE run_rows SET state = 1, imei = ?, claimed_ms = ?, status = NULL, "
                                     "reference = NULL WHERE run_id = ? AND row = ? AND state <> 2"));
            q.addBindValue(imei);
            q.addBindValue(NowMs());
            q.addBindValue(runId);
            q.addBindValue(row);
            if (!Exec(q, err))
                return false;
            taken = q.numRowsAffected() == 0;
            return true;
        },
        &e);
    if (!ok) {
        *error = Failed(QStringLiteral("written"), e).message;
        return ClaimOutcome::Failed;
    }
    return taken ? ClaimOutcome::Taken : ClaimOutcome::Claimed;
}

namespace {
// The work that writes a row's result; the values are copied, since posted work runs later.
SqlConnectionThread::Work ResultWork(qint64 runId, int row, JournalRowState state, const QString& status,
                                     const QString& reference, int retry) {
    return [=](QSqlDatabase& db, QString* e) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "UPDATE run_rows SET state = ?, status = ?, reference = ?, retry = ? WHERE run_id = ? AND row = ?"));
        q.addBindValue(static_cast<int>(state));
        q.addBindValue(status);
        q.addBindValue(reference);
        q.addBindValue(retry);
        q.addBindValue(runId);
        q.addBindValue(row);
        return Exec(q, e);
    };
}
} // namespace

JournalResult SqliteJobStore::RecordResult(qint64 runId, int row, JournalRowState state, const QString& status,
                                           const QString& reference, int retry) {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    QString error;
    const bool ok = m_connection->Run(ResultWork(runId, row, state, status, reference, retry), &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

void SqliteJobStore::PostResult(qint64 runId, int row, JournalRowState state, const QString& status,
                                const QString& reference, int retry, QString* error) {
    if (!m_connection) {
        if (error)
            *error = Failed(QStringLiteral("written"), QStringLiteral("it is not open")).message;
        return;
    }
    m_connection->Post(ResultWork(runId, row, state, status, reference, retry));
}

void SqliteJobStore::WhenDurable(std::function<void()> step) {
    if (!m_connection) {
        step();
        return;
    }
    m_connection->Post([](QSqlDatabase&, QString*) { return true; }, std::move(step));
}

JournalResult SqliteJobStore::Flush() {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    QString error;
    return m_connection->Barrier(&error) ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

void SqliteJobStore::MarkLogged(qint64 runId, int row) {
    if (!m_connection)
        return;
    m_connection->Post([runId, row](QSqlDatabase& db, QString* e) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("UPDATE run_rows SET logged = 1 WHERE run_id = ? AND row = ?"));
        q.addBindValue(runId);
        q.addBindValue(row);
        return Exec(q, e);
    });
}

JournalResult SqliteJobStore::MarkUnconfirmed(qint64 runId, const std::vector<int>& rows, const QString& status) {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    QString error;
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE run_rows SET state = 4, status = ? WHERE run_id = ? AND row = ?"));
            for (const int row : rows) {
                q.addBindValue(status);
                q.addBindValue(runId);
                q.addBindValue(row);
                if (!Exec(q, e))
                    return false;
            }
            return true;
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

JournalResult SqliteJobStore::FinishRun(qint64 runId) {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    QString error;
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE runs SET finished_ms = ? WHERE id = ?"));
            q.addBindValue(NowMs());
            q.addBindValue(runId);
            return Exec(q, e);
        },
        &error);
    if (!ok)
        return Failed(QStringLiteral("written"), error);
    ReleaseRun(runId);
    return JournalResult::Ok();
}

JournalResult SqliteJobStore::InterruptedRuns(std::vector<JournalRunSummary>* runs) {
    runs->clear();
    if (!m_connection)
        return Failed(QStringLiteral("read"), QStringLiteral("it is not open"));
    std::vector<JournalRunSummary> open;
    QString error;
    bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT id, created_ms, row_count FROM runs WHERE finished_ms IS NULL "
                                       "ORDER BY id DESC"))) {
                *e = SqlErrorText(q.lastError());
                return false;
            }
            while (q.next()) {
                JournalRunSummary s;
                s.id = q.value(0).toLongLong();
                s.created = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
                s.rows = q.value(2).toInt();
                open.push_back(s);
            }
            return true;
        },
        &error);
    if (!ok)
        return Failed(QStringLiteral("read"), error);
    for (JournalRunSummary& s : open) {
        {
            std::lock_guard lock(m_mutex);
            if (m_owned.count(s.id) != 0)
                continue; // this process is sending it
        }
        QLockFile probe(RunLockPath(s.id));
        probe.setStaleLockTime(0);
        if (!probe.tryLock(0))
            continue; // a live process is sending it
        probe.unlock();
        ok = m_connection->Run(
            [&](QSqlDatabase& db, QString* e) {
                QSqlQuery q(db);
                q.setForwardOnly(true);
                q.prepare(QStringLiteral("SELECT state, COUNT(*) FROM run_rows WHERE run_id = ? GROUP BY state"));
                q.addBindValue(s.id);
                if (!Exec(q, e))
                    return false;
                while (q.next()) {
                    const int n = q.value(1).toInt();
                    switch (StateOf(q.value(0).toInt())) {
                    case JournalRowState::Sent: s.sent += n; break;
                    case JournalRowState::Claimed:
                    case JournalRowState::Unconfirmed: s.unconfirmed += n; break;
                    default: s.notSent += n; break;
                    }
                }
                return true;
            },
            &error);
        if (!ok)
            return Failed(QStringLiteral("read"), error);
        runs->push_back(s);
    }
    return JournalResult::Ok();
}

JournalResult SqliteJobStore::LoadRun(qint64 runId, JournalRun* run) {
    *run = JournalRun();
    if (!m_connection)
        return Failed(QStringLiteral("read"), QStringLiteral("it is not open"));
    bool found = false;
    QString error;
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.prepare(QStringLiteral("SELECT created_ms, row_count, options FROM runs WHERE id = ?"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            if (!q.next())
                return true;
            found = true;
            run->summary.id = runId;
            run->summary.created = QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC);
            const int count = q.value(1).toInt();
            run->options = q.value(2).toByteArray();
            q.finish();

            q.prepare(QStringLiteral("SELECT imei, port, entry FROM run_devices WHERE run_id = ?"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next())
                run->devices.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
            q.finish();

            std::vector<QString> messages;
            q.prepare(QStringLiteral("SELECT id, text FROM run_messages WHERE run_id = ? ORDER BY id"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next()) {
                const int id = q.value(0).toInt();
                if (id < 0 || id > count) {
                    *e = QStringLiteral("message %1 out of range").arg(id);
                    return false;
                }
                if (static_cast<size_t>(id) >= messages.size())
                    messages.resize(static_cast<size_t>(id) + 1);
                messages[static_cast<size_t>(id)] = q.value(1).toString();
            }
            q.finish();

            run->rows.reserve(static_cast<size_t>(count));
            run->states.reserve(static_cast<size_t>(count));
            // The texts of every row first; then the states of the rows that have one (most rows of an
            // interrupted run were never claimed): a million rows load in a fraction of the time ten columns
            // of each would take.
            q.prepare(QStringLiteral("SELECT row, number, message_id FROM run_rows WHERE run_id = ? ORDER BY row"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next()) {
                const int messageId = q.value(2).toInt();
                // Rows are numbered 0..count-1 without gaps; anything else is a damaged journal, never half-used.
                if (q.value(0).toInt() != static_cast<int>(run->rows.size()) || messageId < 0 ||
                    static_cast<size_t>(messageId) >= messages.size()) {
                    *e = QStringLiteral("row %1 is damaged").arg(run->rows.size());
                    return false;
                }
                run->rows.push_back({q.value(1).toString(), messages[static_cast<size_t>(messageId)]});
            }
            q.finish();
            run->states.resize(run->rows.size());
            q.prepare(QStringLiteral("SELECT row, state, imei, claimed_ms, status, reference, retry, logged FROM "
                                     "run_rows WHERE run_id = ? AND (state <> 0 OR logged <> 0)"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next()) {
                const int row = q.value(0).toInt();
                if (row < 0 || static_cast<size_t>(row) >= run->states.size()) {
                    *e = QStringLiteral("row %1 is damaged").arg(row);
                    return false;
                }
                JournalRowRecord& r = run->states[static_cast<size_t>(row)];
                r.state = StateOf(q.value(1).toInt());
                r.imei = q.value(2).toString();
                r.claimedAtMs = q.value(3).toLongLong();
                r.status = q.value(4).toString();
                r.reference = q.value(5).toString();
                r.retry = q.value(6).toInt();
                r.logged = q.value(7).toInt() != 0;
            }
            for (const JournalRowRecord& r : run->states) {
                switch (r.state) {
                case JournalRowState::Sent: ++run->summary.sent; break;
                case JournalRowState::Claimed:
                case JournalRowState::Unconfirmed: ++run->summary.unconfirmed; break;
                default: ++run->summary.notSent; break;
                }
            }
            if (run->rows.size() != static_cast<size_t>(count)) {
                *e = QStringLiteral("%1 of %2 rows present").arg(run->rows.size()).arg(count);
                return false;
            }
            run->summary.rows = count;
            return true;
        },
        &error);
    if (!ok) {
        *run = JournalRun();
        return Failed(QStringLiteral("read"), error);
    }
    if (!found)
        return JournalResult::Error(QStringLiteral("There is no run %1 in the run journal.").arg(runId));
    return JournalResult::Ok();
}
