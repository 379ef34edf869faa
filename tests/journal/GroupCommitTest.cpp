// Results posted without waiting: they are durable once the next claim (or a flush) returns, steps waiting for
// them see them committed, and a posted write that failed stops every later claim.

#include "journal/SqlConnectionThread.h"
#include "journal/SqliteJobStore.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <atomic>
#include <future>

namespace {

// What another connection (another process after a crash) reads of a row: state and reference.
std::pair<int, QString> RowOnDisk(const QString& path, qint64 run, int row) {
    const QString name = QUuid::createUuid().toString();
    std::pair<int, QString> result{-1, QString()};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT state, reference FROM run_rows WHERE run_id = ? AND row = ?"));
        q.addBindValue(run);
        q.addBindValue(row);
        if (q.exec() && q.next())
            result = {q.value(0).toInt(), q.value(1).toString()};
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

TEST(GroupCommit, APostedResultIsOnDiskWhenTheNextClaimReturnsAndBeforeAStepWaitingForIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(SqliteJobStore::kFileName);
    SqliteJobStore store(path);
    ASSERT_TRUE(store.Open().ok);
    qint64 id = 0;
    ASSERT_TRUE(store
                    .CreateRun({},
                               {{QStringLiteral("+15550001"), QStringLiteral("a")},
                                {QStringLiteral("+15550002"), QStringLiteral("b")}},
                               &id)
                    .ok);
    QString error;
    ASSERT_EQ(store.Claim(id, 0, QStringLiteral("350000000000001"), &error), JobStore::ClaimOutcome::Claimed);
    store.PostResult(id, 0, JournalRowState::Sent, QStringLiteral("Message sent successfully."),
                     QStringLiteral("17,18"), 0, &error);
    // A step after the result (the sent-items entry) finds it committed.
    std::promise<std::pair<int, QString>> seen;
    store.WhenDurable([&] { seen.set_value(RowOnDisk(path, id, 0)); });
    EXPECT_EQ(seen.get_future().get(), std::make_pair(int(JournalRowState::Sent), QStringLiteral("17,18")));

    store.PostResult(id, 0, JournalRowState::Sent, QStringLiteral("Message sent successfully."), QStringLiteral("19"),
                     0, &error);
    ASSERT_EQ(store.Claim(id, 1, QStringLiteral("350000000000001"), &error), JobStore::ClaimOutcome::Claimed);
    EXPECT_EQ(RowOnDisk(path, id, 0).second, QStringLiteral("19"));
    EXPECT_EQ(RowOnDisk(path, id, 1).first, int(JournalRowState::Claimed));
    EXPECT_TRUE(store.Flush().ok);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST(GroupCommit, APostedWriteThatFailedFailsEveryLaterWaitButStillRunsItsSteps) {
    QTemporaryDir dir;
    SqlConnectionThread connection(
        QStringLiteral("QSQLITE"), dir.filePath(QStringLiteral("t.db")),
        [](QSqlDatabase& db, QString*) { return QSqlQuery(db).exec(QStringLiteral("CREATE TABLE t (v INTEGER)")); });
    QString error;
    ASSERT_TRUE(connection.Start(&error)) << error.toStdString();
    const auto insert = [](QSqlDatabase& db, QString*) {
        return QSqlQuery(db).exec(QStringLiteral("INSERT INTO t VALUES (1)"));
    };
    EXPECT_TRUE(connection.Run(insert, &error));
    EXPECT_TRUE(connection.Barrier(&error));

    std::atomic<int> steps{0};
    connection.Post([](QSqlDatabase&, QString* e) {
        *e = QStringLiteral("disk full");
        return false;
    });
    connection.Post(insert, [&] { ++steps; });
    EXPECT_FALSE(connection.Barrier(&error));
    EXPECT_EQ(error, QStringLiteral("disk full"));
    EXPECT_EQ(steps.load(), 1);
    error.clear();
    EXPECT_FALSE(connection.Run(insert, &error)); // a claim now: refused, nothing more is taken as durable
    EXPECT_EQ(error, QStringLiteral("disk full"));
}
