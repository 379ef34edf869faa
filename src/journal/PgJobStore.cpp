#include "journal/PgJobStore.h"

#include "journal/PgSchema.h"
#include "journal/SqlConnectionThread.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <map>

namespace {

bool Exec(QSqlQuery& query, QString* error) {
    if (query.exec())
        return true;
    *error = query.lastError().text();
    return false;
}

bool Exec(QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    *error = query.lastError().text();
    return false;
}

// QtSql binds a null QString as NULL: an empty text is stored as ''.
QString Text(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

qint64 NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The marker Open's check leaves in its error for a database of another schema version.
const QString kOtherVersion = QStringLiteral("schema version");

// Checks the schema on a new connection, creating it in an empty database (under an advisory lock, so two
// gateways starting at once do not both create it).
bool PrepareConnection(QSqlDatabase& db, QString* error) {
    if (!Exec(db, QStringLiteral("SET synchronous_commit = on"), error) || !db.transaction())
        return false;
    QSqlQuery q(db);
    bool ok = q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(PgSchema::kCreateLock)) &&
              q.exec(QStringLiteral("SELECT to_regclass('bulksms_schema') IS NOT NULL")) && q.next();
    if (!ok) {
        *error = q.lastError().text();
        db.rollback();
        return false;
    }
    if (q.value(0).toBool()) {
        if (!q.exec(QStringLiteral("SELECT MIN(version), MAX(version) FROM bulksms_schema")) || !q.next()) {
            *error = q.lastError().text();
            db.rollback();
            return false;
        }
        const int lowest = q.value(0).toInt();
        const int highest = q.value(1).toInt();
        q.finish();
        db.rollback();
        if (lowest != PgSchema::kVersion || highest != PgSchema::kVersion) {
            *error = QStringLiteral("the database holds jobs of %1 %2; this program reads only version %3")
                         .arg(kOtherVersion)
                         .arg(highest == PgSchema::kVersion ? lowest : highest)
                         .arg(PgSchema::kVersion);
            return false;
        }
        return true;
    }
    for (const QString& statement : PgSchema::CreateStatements()) {
        if (!Exec(db, statement, error)) {
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

JournalRowState StateOf(int value) {
    return value >= 0 && value <= static_cast<int>(JournalRowState::Skipped) ? static_cast<JournalRowState>(value)
                                                                             : JournalRowState::Pending;
}

PgJobStore::Failure Classify(const QString& error) {
    if (error.contains(kOtherVersion))
        return PgJobStore::Failure::SchemaVersion;
    if (error.contains(QLatin1String("authentication failed")) || error.contains(QLatin1String("no password")) ||
        (error.contains(QLatin1String("role")) && error.contains(QLatin1String("does not exist"))) ||
        error.contains(QLatin1String("pg_hba.conf")))
        return PgJobStore::Failure::LoginRefused;
    if (error.contains(QLatin1String("database")) && error.contains(QLatin1String("does not exist")))
        return PgJobStore::Failure::NoDatabase;
    if (error.contains(QLatin1String("connect")) || error.contains(QLatin1String("No such file")) ||
        error.contains(QLatin1String("timeout")) || error.contains(QLatin1String("translate host")))
        return PgJobStore::Failure::Unreachable;
    return PgJobStore::Failure::Other;
}

} // namespace

PgJobStore::PgJobStore(PgUrl url, Options options) : m_url(std::move(url)), m_options(std::move(options)) {}

PgJobStore::~PgJobStore() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_heartbeat.joinable())
        m_heartbeat.join();
    if (m_connection && m_gatewayId.load() != 0) {
        const qint64 id = m_gatewayId.load();
        QString error;
        static_cast<void>(m_connection->Run(
            [id](QSqlDatabase& db, QString* e) {
                QSqlQuery q(db);
                q.prepare(QStringLiteral("UPDATE gateways SET stopped = true WHERE id = ?"));
                q.addBindValue(id);
                return Exec(q, e);
            },
            &error));
    }
    m_connection.reset();
}

JournalResult PgJobStore::Failed(const QString& what, const QString& error) const {
    return JournalResult::Error(
        QStringLiteral("The job database %1 could not be %2: %3").arg(m_url.Display(), what, error.trimmed()));
}

JournalResult PgJobStore::Open() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_failure = Failure::Other;
        return JournalResult::Error(QStringLiteral("The PostgreSQL driver of QtSql is not installed (Debian package "
                                                   "libqt6sql6-psql)."));
    }
    const PgUrl url = m_url;
    m_connection = std::make_unique<SqlConnectionThread>(
        QStringLiteral("QPSQL"), url.database, PrepareConnection, [url](QSqlDatabase& db) {
            db.setHostName(url.host);
            db.setPort(url.port);
            db.setUserName(url.user);
            db.setPassword(url.password);
            db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=bulksms"));
        });
    QString error;
    if (!m_connection->Start(&error)) {
        m_connection.reset();
        m_failure = Classify(error);
        switch (m_failure) {
        case Failure::LoginRefused:
            return JournalResult::Error(
                QStringLiteral("The job database %1 refused the login: %2").arg(m_url.Display(), error.trimmed()));
        case Failure::SchemaVersion:
            return JournalResult::Error(
                QStringLiteral("The job database %1 cannot be used: %2.").arg(m_url.Display(), error.trimmed()));
        case Failure::NoDatabase:
            return JournalResult::Error(QStringLiteral("The job database %1 does not exist on its server: %2")
                                            .arg(m_url.Display(), error.trimmed()));
        default:
            return Failed(QStringLiteral("reached"), error);
        }
    }
    m_connectedSinceMs.store(SteadyMs());
    m_failure = Failure::None;
    return JournalResult::Ok();
}

bool PgJobStore::RunRetrying(const Work& work, QString* error) {
    if (!m_connection) {
        *error = QStringLiteral("it is not open");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    int delayMs = 100;
    for (;;) {
        bool lost = false;
        if (m_connection->Run(work, error, &lost))
            return true;
        // A deadlock between two gateways' transactions (rare: a retry pass while rows are being marked logged)
        // rolled one back; its work is repeated like work cut off by a lost connection.
        const bool deadlock = error->contains(QLatin1String("deadlock detected"));
        if ((!lost && !deadlock) || waited.elapsed() >= m_options.reconnectForMs)
            return false;
        // Dead gateways are judged only after everyone had the time to beat again on the new connection.
        if (lost)
            m_connectedSinceMs.store(SteadyMs() + delayMs);
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return m_stop; });
        delayMs = std::min(delayMs * 2, 2000);
    }
}

JournalResult PgJobStore::CreateRun(const JournalRunSpec& spec, const std::vector<JournalRowText>& rows,
                                    qint64* runId) {
    if (!m_connection)
        return Failed(QStringLiteral("written"), QStringLiteral("it is not open"));
    qint64 id = 0;
    QString error;
    // Not repeated after a lost connection: a job whose commit was not acknowledged may exist, and a second
    // one would send every row twice. The caller reports it; `jobs` shows whether it arrived.
    const bool ok = m_connection->Run(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery run(db);
            run.prepare(QStringLiteral("INSERT INTO jobs (created_ms, options, row_count) VALUES (?, ?, ?) "
                                       "RETURNING id"));
            run.addBindValue(NowMs());
            run.addBindValue(spec.options.isNull() ? QByteArray("") : spec.options);
            run.addBindValue(static_cast<int>(rows.size()));
            if (!Exec(run, e) || !run.next()) {
                *e = run.lastError().text();
                return false;
            }
            id = run.value(0).toLongLong();
            QSqlQuery device(db);
            device.prepare(QStringLiteral("INSERT INTO job_devices (job_id, imei, port, entry) VALUES (?, ?, ?, ?)"));
            for (const JournalDevice& d : spec.devices) {
                device.addBindValue(id);
                device.addBindValue(Text(d.imei));
                device.addBindValue(Text(d.port));
                device.addBindValue(Text(d.entry));
                if (!Exec(device, e))
                    return false;
            }
            QSqlQuery message(db);
            message.prepare(QStringLiteral("INSERT INTO job_messages (job_id, id, text) VALUES (?, ?, ?)"));
            QHash<QString, int> messageIds;
            std::vector<int> messageOf(rows.size());
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
                messageOf[r] = *it;
            }
            // Rows in statements of many VALUES: one round trip per 500 rows instead of one per row.
            constexpr size_t kChunk = 500;
            for (size_t first = 0; first < rows.size(); first += kChunk) {
                const size_t n = std::min(kChunk, rows.size() - first);
                QString sql = QStringLiteral("INSERT INTO job_rows (job_id, row_no, number, message_id) VALUES ");
                for (size_t i = 0; i < n; ++i)
                    sql += i == 0 ? QStringLiteral("(?, ?, ?, ?)") : QStringLiteral(", (?, ?, ?, ?)");
                QSqlQuery row(db);
                row.prepare(sql);
                for (size_t r = first; r < first + n; ++r) {
                    row.addBindValue(id);
                    row.addBindValue(static_cast<int>(r));
                    row.addBindValue(Text(rows[r].number));
                    row.addBindValue(messageOf[r]);
                }
                if (!Exec(row, e))
                    return false;
            }
            return true;
        },
        &error);
    if (!ok)
        return Failed(QStringLiteral("written (the job may or may not have been recorded: see `jobs`)"), error);
    *runId = id;
    return JournalResult::Ok();
}

JournalResult PgJobStore::RecordSkips(qint64 runId, const std::vector<std::pair<int, QString>>& skips) {
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 5, status = ? WHERE job_id = ? AND row_no = ? "
                                     "AND state = 0"));
            for (const auto& [row, status] : skips) {
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

JournalResult PgJobStore::TakeOwnership(qint64) {
    return JournalResult::Ok();
}

JobStore::ClaimOutcome PgJobStore::Claim(qint64 runId, int row, const QString& imei, QString* error) {
    const qint64 gateway = m_gatewayId.load();
    const qint64 claimedMs = NowMs();
    bool taken = false;
    QString e;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* err) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 1, imei = ?, claimed_ms = ?, status = NULL, "
                                     "reference = NULL WHERE job_id = ? AND row_no = ? AND gateway_id = ? AND "
                                     "state = 6"));
            q.addBindValue(Text(imei));
            q.addBindValue(claimedMs);
            q.addBindValue(runId);
            q.addBindValue(row);
            q.addBindValue(gateway);
            if (!Exec(q, err))
                return false;
            if (q.numRowsAffected() == 1) {
                taken = false;
                return true;
            }
            // Repeated after a lost connection: the first attempt may have committed.
            q.prepare(QStringLiteral("SELECT state, gateway_id, claimed_ms FROM job_rows WHERE job_id = ? AND "
                                     "row_no = ?"));
            q.addBindValue(runId);
            q.addBindValue(row);
            if (!Exec(q, err))
                return false;
            taken = !(q.next() && q.value(0).toInt() == 1 && q.value(1).toLongLong() == gateway &&
                      q.value(2).toLongLong() == claimedMs);
            return true;
        },
        &e);
    if (!ok) {
        *error = Failed(QStringLiteral("written"), e).message;
        return ClaimOutcome::Failed;
    }
    return taken ? ClaimOutcome::Taken : ClaimOutcome::Claimed;
}

JournalResult PgJobStore::RecordResult(qint64 runId, int row, JournalRowState state, const QString& status,
                                       const QString& reference, int retry) {
    const qint64 gateway = m_gatewayId.load();
    QString error;
    // Also over a row a peer marked Unconfirmed while this gateway was cut off: the device's answer is better.
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            // The retry count only grows: a retry pass counts it here, whatever the gateway's copy says.
            q.prepare(
                QStringLiteral("UPDATE job_rows SET state = ?, status = ?, reference = ?, retry = GREATEST(retry, "
                               "?) WHERE "
                               "job_id = ? AND row_no = ? AND (gateway_id = ? OR ? = 0) AND state IN (1, 4)"));
            q.addBindValue(static_cast<int>(state));
            q.addBindValue(Text(status));
            q.addBindValue(Text(reference));
            q.addBindValue(retry);
            q.addBindValue(runId);
            q.addBindValue(row);
            q.addBindValue(gateway);
            q.addBindValue(gateway);
            return Exec(q, e);
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

void PgJobStore::MarkLogged(qint64 runId, int row) {
    if (!m_connection)
        return;
    m_connection->Post([runId, row](QSqlDatabase& db, QString* e) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("UPDATE job_rows SET logged = true WHERE job_id = ? AND row_no = ?"));
        q.addBindValue(runId);
        q.addBindValue(row);
        return Exec(q, e);
    });
}

JournalResult PgJobStore::MarkUnconfirmed(qint64 runId, const std::vector<int>& rows, const QString& status) {
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 4, status = ? WHERE job_id = ? AND row_no = ? AND "
                                     "state = 1"));
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

JournalResult PgJobStore::FinishRun(qint64 runId) {
    const qint64 gateway = m_gatewayId.load();
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 0, gateway_id = NULL, batch = NULL WHERE job_id = ? "
                                     "AND gateway_id = ? AND state = 6"));
            q.addBindValue(runId);
            q.addBindValue(gateway);
            if (!Exec(q, e))
                return false;
            q.prepare(QStringLiteral("UPDATE jobs SET finished_ms = ? WHERE id = ? AND finished_ms IS NULL AND NOT "
                                     "EXISTS (SELECT 1 FROM job_rows WHERE job_id = ? AND state IN (0, 1, 6))"));
            q.addBindValue(NowMs());
            q.addBindValue(runId);
            q.addBindValue(runId);
            return Exec(q, e);
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

void PgJobStore::ReleaseRun(qint64 runId) {
    const qint64 gateway = m_gatewayId.load();
    QString error;
    static_cast<void>(RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 0, gateway_id = NULL, batch = NULL WHERE job_id = ? "
                                     "AND gateway_id = ? AND state = 6"));
            q.addBindValue(runId);
            q.addBindValue(gateway);
            return Exec(q, e);
        },
        &error));
}

JournalResult PgJobStore::StartGateway(const QString& name) {
    qint64 id = 0;
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO gateways (name) VALUES (?) RETURNING id"));
            q.addBindValue(Text(name));
            if (!Exec(q, e) || !q.next()) {
                *e = q.lastError().text();
                return false;
            }
            id = q.value(0).toLongLong();
            return true;
        },
        &error);
    if (!ok)
        return Failed(QStringLiteral("written"), error);
    m_gatewayId.store(id);
    m_heartbeat = std::thread([this] { Heartbeat(); });
    return JournalResult::Ok();
}

void PgJobStore::Heartbeat() {
    const qint64 id = m_gatewayId.load();
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::milliseconds(m_options.heartbeatMs), [this] { return m_stop; }))
                return;
        }
        QString error;
        bool lost = false;
        const bool ok = m_connection->Run(
            [id](QSqlDatabase& db, QString* e) {
                QSqlQuery q(db);
                q.prepare(QStringLiteral("UPDATE gateways SET heartbeat_at = now() WHERE id = ?"));
                q.addBindValue(id);
                return Exec(q, e);
            },
            &error, &lost);
        if (!ok && lost)
            m_connectedSinceMs.store(SteadyMs());
    }
}

bool PgJobStore::ReclaimAllowed() {
    // Only after this gateway itself had its connection for a whole stale period (every live peer has then
    // beaten again since the database came back), and at most once per heartbeat period.
    const qint64 now = SteadyMs();
    if (now - m_connectedSinceMs.load() < m_options.staleAfterMs + m_options.heartbeatMs)
        return false;
    qint64 last = m_lastReclaimMs.load();
    return now - last >= m_options.heartbeatMs && m_lastReclaimMs.compare_exchange_strong(last, now);
}

PgJobStore::Reserve PgJobStore::ReserveRows(qint64 runId, int count, std::vector<int>* rows, QString* error) {
    rows->clear();
    const qint64 gateway = m_gatewayId.load();
    const qint64 batch = m_nextBatch.fetch_add(1);
    const bool reclaim = ReclaimAllowed();
    int open = 0;
    QString e;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* err) {
            rows->clear();
            QSqlQuery q(db);
            if (reclaim) {
                const QString stale = QStringLiteral(" FROM gateways g WHERE r.job_id = ? AND r.gateway_id = g.id AND "
                                                     "g.id <> ? AND g.heartbeat_at < now() - ? * interval '1 "
                                                     "millisecond'");
                // Reserved, not begun: back to the queue.
                q.prepare(QStringLiteral("UPDATE job_rows r SET state = 0, gateway_id = NULL, batch = NULL") + stale +
                          QStringLiteral(" AND r.state = 6"));
                q.addBindValue(runId);
                q.addBindValue(gateway);
                q.addBindValue(m_options.staleAfterMs);
                if (!Exec(q, err))
                    return false;
                // Begun without a result: it may have been sent.
                q.prepare(QStringLiteral("UPDATE job_rows r SET state = 4, status = ?") + stale +
                          QStringLiteral(" AND r.state = 1"));
                q.addBindValue(Text(m_options.unconfirmedStatus));
                q.addBindValue(runId);
                q.addBindValue(gateway);
                q.addBindValue(m_options.staleAfterMs);
                if (!Exec(q, err))
                    return false;
            }
            // A reservation repeated after a lost connection may have committed the first time.
            q.prepare(QStringLiteral("SELECT row_no FROM job_rows WHERE job_id = ? AND gateway_id = ? AND batch = ? "
                                     "AND state = 6 ORDER BY row_no"));
            q.addBindValue(runId);
            q.addBindValue(gateway);
            q.addBindValue(batch);
            if (!Exec(q, err))
                return false;
            while (q.next())
                rows->push_back(q.value(0).toInt());
            if (!rows->empty())
                return true;
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 6, gateway_id = ?, batch = ? WHERE job_id = ? AND "
                                     "row_no IN (SELECT row_no FROM job_rows WHERE job_id = ? AND state = 0 ORDER BY "
                                     "row_no LIMIT ? FOR UPDATE SKIP LOCKED) RETURNING row_no"));
            q.addBindValue(gateway);
            q.addBindValue(batch);
            q.addBindValue(runId);
            q.addBindValue(runId);
            q.addBindValue(count);
            if (!Exec(q, err))
                return false;
            while (q.next())
                rows->push_back(q.value(0).toInt());
            if (!rows->empty())
                return true;
            q.prepare(QStringLiteral("SELECT COUNT(*) FROM job_rows WHERE job_id = ? AND state IN (0, 1, 6)"));
            q.addBindValue(runId);
            if (!Exec(q, err) || !q.next())
                return false;
            open = q.value(0).toInt();
            return true;
        },
        &e);
    if (!ok) {
        *error = Failed(QStringLiteral("reached"), e).message;
        return Reserve::Failed;
    }
    std::sort(rows->begin(), rows->end());
    if (!rows->empty())
        return Reserve::Rows;
    return open == 0 ? Reserve::Done : Reserve::Wait;
}

JournalResult PgJobStore::FailedRows(qint64 runId, std::vector<FailedRow>* rows) {
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            rows->clear();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.prepare(QStringLiteral("SELECT row_no, status, retry FROM job_rows WHERE job_id = ? AND state = 3 ORDER "
                                     "BY row_no"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next())
                rows->push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt()});
            return true;
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("read"), error);
}

JournalResult PgJobStore::Requeue(qint64 runId, const std::vector<FailedRow>& rows, int* requeued) {
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            *requeued = 0;
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE job_rows SET state = 0, retry = retry + 1, gateway_id = NULL, batch = "
                                     "NULL WHERE job_id = ? AND row_no = ? AND state = 3 AND retry = ?"));
            for (const FailedRow& r : rows) {
                q.addBindValue(runId);
                q.addBindValue(r.row);
                q.addBindValue(r.retry);
                if (!Exec(q, e))
                    return false;
                *requeued += q.numRowsAffected();
            }
            return true;
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("written"), error);
}

JournalResult PgJobStore::NextJob(qint64* runId) {
    *runId = 0;
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT j.id FROM jobs j WHERE j.finished_ms IS NULL AND EXISTS (SELECT 1 FROM "
                                       "job_rows r WHERE r.job_id = j.id AND r.state IN (0, 1, 6)) ORDER BY j.id "
                                       "LIMIT 1"))) {
                *e = q.lastError().text();
                return false;
            }
            if (q.next())
                *runId = q.value(0).toLongLong();
            return true;
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("read"), error);
}

JournalResult PgJobStore::InterruptedRuns(std::vector<JournalRunSummary>* runs) {
    runs->clear();
    std::vector<PgJobProgress> jobs;
    const JournalResult read = Progress(&jobs);
    if (!read.ok)
        return read;
    for (auto it = jobs.rbegin(); it != jobs.rend(); ++it) {
        if (!it->finished)
            runs->push_back(it->summary);
    }
    return JournalResult::Ok();
}

JournalResult PgJobStore::Progress(std::vector<PgJobProgress>* jobs) {
    jobs->clear();
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            jobs->clear();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT j.id, j.created_ms, j.finished_ms, j.row_count, r.state, "
                                       "COALESCE(g.name, ''), COALESCE(r.imei, ''), COUNT(*) FROM jobs j JOIN "
                                       "job_rows r ON r.job_id = j.id LEFT JOIN gateways g ON g.id = r.gateway_id "
                                       "GROUP BY 1, 2, 3, 4, 5, 6, 7 ORDER BY 1, 6, 7"))) {
                *e = q.lastError().text();
                return false;
            }
            std::map<std::pair<QString, QString>, size_t> deviceIndex;
            while (q.next()) {
                const qint64 id = q.value(0).toLongLong();
                if (jobs->empty() || jobs->back().summary.id != id) {
                    jobs->emplace_back();
                    deviceIndex.clear();
                    PgJobProgress& p = jobs->back();
                    p.summary.id = id;
                    p.summary.created = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
                    p.finished = !q.value(2).isNull();
                    p.summary.rows = q.value(3).toInt();
                }
                PgJobProgress& p = jobs->back();
                const int state = q.value(4).toInt();
                const int n = q.value(7).toInt();
                PgJobDevice* device = nullptr;
                if (state != 0 && state != 5) {
                    const auto key = std::make_pair(q.value(5).toString(), q.value(6).toString());
                    auto found = deviceIndex.find(key);
                    if (found == deviceIndex.end()) {
                        found = deviceIndex.emplace(key, p.devices.size()).first;
                        p.devices.push_back(PgJobDevice{key.first, key.second});
                    }
                    device = &p.devices[found->second];
                }
                switch (state) {
                case 0:
                    p.pending += n;
                    p.summary.notSent += n;
                    break;
                case 1:
                    p.summary.unconfirmed += n;
                    device->inFlight += n;
                    break;
                case 2:
                    p.summary.sent += n;
                    device->sent += n;
                    break;
                case 3:
                    p.failed += n;
                    p.summary.notSent += n;
                    device->failed += n;
                    break;
                case 4:
                    p.summary.unconfirmed += n;
                    device->unconfirmed += n;
                    break;
                case 5:
                    p.skipped += n;
                    p.summary.notSent += n;
                    break;
                default:
                    p.summary.notSent += n;
                    device->inFlight += n;
                    break; // reserved
                }
            }
            return true;
        },
        &error);
    return ok ? JournalResult::Ok() : Failed(QStringLiteral("read"), error);
}

JournalResult PgJobStore::LoadRun(qint64 runId, JournalRun* run) {
    *run = JournalRun();
    bool found = false;
    QString error;
    const bool ok = RunRetrying(
        [&](QSqlDatabase& db, QString* e) {
            *run = JournalRun();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.prepare(QStringLiteral("SELECT created_ms, row_count, options FROM jobs WHERE id = ?"));
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

            q.prepare(QStringLiteral("SELECT imei, port, entry FROM job_devices WHERE job_id = ?"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next())
                run->devices.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});

            std::vector<QString> messages;
            q.prepare(QStringLiteral("SELECT id, text FROM job_messages WHERE job_id = ? ORDER BY id"));
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

            run->rows.reserve(static_cast<size_t>(count));
            run->states.reserve(static_cast<size_t>(count));
            q.prepare(QStringLiteral("SELECT row_no, number, message_id, state, imei, claimed_ms, status, reference, "
                                     "retry, logged FROM job_rows WHERE job_id = ? ORDER BY row_no"));
            q.addBindValue(runId);
            if (!Exec(q, e))
                return false;
            while (q.next()) {
                const int messageId = q.value(2).toInt();
                if (q.value(0).toInt() != static_cast<int>(run->rows.size()) || messageId < 0 ||
                    static_cast<size_t>(messageId) >= messages.size()) {
                    *e = QStringLiteral("row %1 is damaged").arg(run->rows.size());
                    return false;
                }
                run->rows.push_back({q.value(1).toString(), messages[static_cast<size_t>(messageId)]});
                JournalRowRecord r;
                r.state = StateOf(q.value(3).toInt()); // reserved reads as pending
                r.imei = q.value(4).toString();
                r.claimedAtMs = q.value(5).toLongLong();
                r.status = q.value(6).toString();
                r.reference = q.value(7).toString();
                r.retry = q.value(8).toInt();
                r.logged = q.value(9).toBool();
                switch (r.state) {
                case JournalRowState::Sent:
                    ++run->summary.sent;
                    break;
                case JournalRowState::Claimed:
                case JournalRowState::Unconfirmed:
                    ++run->summary.unconfirmed;
                    break;
                default:
                    ++run->summary.notSent;
                    break;
                }
                run->states.push_back(std::move(r));
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
        return JournalResult::Error(QStringLiteral("There is no job %1 in the job database.").arg(runId));
    return JournalResult::Ok();
}
