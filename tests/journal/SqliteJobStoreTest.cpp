// The SQLite run journal on real files: runs, claims and results, what a resume reads back, ownership between
// two stores on one file (two processes), and files that are no journal.

#include "journal/SqliteJobStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>
#include <thread>

namespace {

std::vector<JournalRowText> Rows(int n) {
    std::vector<JournalRowText> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("+1555%1").arg(i, 4, 10, QLatin1Char('0')),
                        i % 4 == 3   ? QString() // a blank message
                        : i % 3 == 0 ? QStringLiteral("first text")
                                     : QStringLiteral("second\r\ntext %1").arg(i % 2)});
    return rows;
}

class SqliteJobStoreTest : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath(SqliteJobStore::kFileName); }
    std::unique_ptr<SqliteJobStore> OpenStore() {
        auto store = std::make_unique<SqliteJobStore>(Path());
        const JournalResult opened = store->Open();
        EXPECT_TRUE(opened.ok) << opened.message.toStdString();
        EXPECT_TRUE(opened.message.isEmpty()) << opened.message.toStdString();
        return store;
    }
    qint64 NewRun(JobStore& store, int rows) {
        JournalRunSpec spec;
        spec.options = QByteArray("{\"retries\":2}");
        spec.devices = {{QStringLiteral("350000000000001"), QStringLiteral("/dev/pts/7"), QStringLiteral("/dev/pts/7 - A")},
                        {QStringLiteral("350000000000002"), QStringLiteral("/dev/pts/8"), QStringLiteral("/dev/pts/8 - B")},
                        {QString(), QStringLiteral("/dev/pts/9"), QStringLiteral("/dev/pts/9 - no IMEI")}};
        qint64 id = 0;
        const JournalResult created = store.CreateRun(spec, Rows(rows), &id);
        EXPECT_TRUE(created.ok) << created.message.toStdString();
        return id;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SqliteJobStoreTest, AnInterruptedRunComesBackWithEveryRowsStateTextsOptionsAndDevices) {
    qint64 id = 0;
    {
        auto store = OpenStore();
        id = NewRun(*store, 7);
        QString error;
        ASSERT_EQ(store->Claim(id, 0, QStringLiteral("350000000000001"), &error), JobStore::ClaimOutcome::Claimed);
        ASSERT_TRUE(store->RecordResult(id, 0, JournalRowState::Sent, QStringLiteral("Message sent successfully."),
                                        QStringLiteral("17"), 0).ok);
        store->MarkLogged(id, 0);
        ASSERT_EQ(store->Claim(id, 1, QStringLiteral("350000000000002"), &error), JobStore::ClaimOutcome::Claimed);
        ASSERT_EQ(store->Claim(id, 2, QStringLiteral("350000000000001"), &error), JobStore::ClaimOutcome::Claimed);
        ASSERT_TRUE(store->RecordResult(id, 2, JournalRowState::Failed, QStringLiteral("Error : CMS 500"), QString(), 1).ok);
        // A row confirmed sent is never claimed again.
        EXPECT_EQ(store->Claim(id, 0, QStringLiteral("350000000000002"), &error), JobStore::ClaimOutcome::Taken);
        // While this store owns the run it is not offered.
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(store->InterruptedRuns(&runs).ok);
        EXPECT_TRUE(runs.empty());
    } // the process ends without finishing the run

    auto store = OpenStore();
    std::vector<JournalRunSummary> runs;
    ASSERT_TRUE(store->InterruptedRuns(&runs).ok);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].id, id);
    EXPECT_EQ(runs[0].rows, 7);
    EXPECT_EQ(runs[0].sent, 1);
    EXPECT_EQ(runs[0].unconfirmed, 1);
    EXPECT_EQ(runs[0].notSent, 5);

    JournalRun run;
    ASSERT_TRUE(store->LoadRun(id, &run).ok);
    EXPECT_EQ(run.options, QByteArray("{\"retries\":2}"));
    ASSERT_EQ(run.devices.size(), 3u);
    EXPECT_EQ(run.devices[1].imei, QStringLiteral("350000000000002"));
    EXPECT_EQ(run.devices[1].entry, QStringLiteral("/dev/pts/8 - B"));
    const std::vector<JournalRowText> expected = Rows(7);
    ASSERT_EQ(run.rows.size(), 7u);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.rows[i].number, expected[i].number) << i;
        EXPECT_EQ(run.rows[i].message, expected[i].message) << i;
    }
    EXPECT_EQ(run.states[0].state, JournalRowState::Sent);
    EXPECT_EQ(run.states[0].reference, QStringLiteral("17"));
    EXPECT_TRUE(run.states[0].logged);
    EXPECT_EQ(run.states[1].state, JournalRowState::Claimed);
    EXPECT_EQ(run.states[1].imei, QStringLiteral("350000000000002"));
    EXPECT_GT(run.states[1].claimedAtMs, 0);
    EXPECT_EQ(run.states[2].state, JournalRowState::Failed);
    EXPECT_EQ(run.states[2].retry, 1);
    EXPECT_EQ(run.states[3].state, JournalRowState::Pending);

    // Taken over, marked and finished: no longer offered.
    ASSERT_TRUE(store->TakeOwnership(id).ok);
    ASSERT_TRUE(store->MarkUnconfirmed(id, {1}, QStringLiteral("Unconfirmed: may have been sent.")).ok);
    ASSERT_TRUE(store->LoadRun(id, &run).ok);
    EXPECT_EQ(run.states[1].state, JournalRowState::Unconfirmed);
    ASSERT_TRUE(store->FinishRun(id).ok);
    ASSERT_TRUE(store->InterruptedRuns(&runs).ok);
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(store->LoadRun(id + 100, &run).ok);
}

TEST_F(SqliteJobStoreTest, ARunOwnedByOneStoreIsNeitherOfferedNorTakenByAnother) {
    auto first = OpenStore();
    const qint64 id = NewRun(*first, 3);
    auto second = OpenStore(); // another process on the same file
    std::vector<JournalRunSummary> runs;
    ASSERT_TRUE(second->InterruptedRuns(&runs).ok);
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(second->TakeOwnership(id).ok);
    first->ReleaseRun(id);
    ASSERT_TRUE(second->InterruptedRuns(&runs).ok);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(second->TakeOwnership(id).ok);
    EXPECT_FALSE(first->TakeOwnership(id).ok);
}

// Claims from many threads at once all become durable, each once (the group commit loses none).
TEST_F(SqliteJobStoreTest, ConcurrentClaimsAndResultsAreAllKept) {
    auto store = OpenStore();
    const int kThreads = 4, kPerThread = 50;
    const qint64 id = NewRun(*store, kThreads * kPerThread);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const int row = t * kPerThread + i;
                QString error;
                EXPECT_EQ(store->Claim(id, row, QString::number(t), &error), JobStore::ClaimOutcome::Claimed);
                EXPECT_TRUE(store->RecordResult(id, row, JournalRowState::Sent, QStringLiteral("ok"), QString(), 0).ok);
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    store->ReleaseRun(id);
    JournalRun run;
    ASSERT_TRUE(store->LoadRun(id, &run).ok);
    EXPECT_EQ(run.summary.sent, kThreads * kPerThread);
    for (int row = 0; row < kThreads * kPerThread; ++row)
        EXPECT_EQ(run.states[static_cast<size_t>(row)].imei, QString::number(row / kPerThread)) << row;
}

// A file that is no journal of ours is moved aside whole and a new journal started; it is never read.
TEST_F(SqliteJobStoreTest, ForeignOrDamagedFilesAreSetAsideWithANotice) {
    struct Case {
        const char* name;
        std::function<void(const QString& path)> make;
    };
    const std::vector<Case> cases = {
        {"text file", [](const QString& path) {
             QFile f(path);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("number,message\n+15550001,hello\n");
         }},
        {"another program's database", [](const QString& path) {
             {
                 QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
                 db.setDatabaseName(path);
                 ASSERT_TRUE(db.open());
                 QSqlQuery q(db);
                 ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE runs (x INTEGER)")));
                 db.close();
             }
             QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
         }},
        {"journal with a damaged page", [](const QString& path) {
             {
                 SqliteJobStore store(path);
                 ASSERT_TRUE(store.Open().ok);
                 qint64 id = 0;
                 ASSERT_TRUE(store.CreateRun({}, Rows(20000), &id).ok);
             }
             QFile f(path);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_GT(f.size(), 6 * 4096) << QFileInfo(path + QStringLiteral("-wal")).size();
             // B-tree page headers of pages 2 to 6 (page type and cell counts) overwritten.
             for (int page = 1; page < 6; ++page) {
                 f.seek(page * 4096);
                 f.write(QByteArray(12, '\x5a'));
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(SqliteJobStore::kFileName);
        c.make(path);
        // An unfinished journal leaves its write-ahead log: check the main file alone.
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        const QByteArray before = [&] {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            return f.readAll();
        }();
        SqliteJobStore store(path);
        const JournalResult opened = store.Open();
        ASSERT_TRUE(opened.ok) << opened.message.toStdString();
        EXPECT_TRUE(opened.message.contains(QStringLiteral("was set aside as"))) << opened.message.toStdString();
        const QStringList aside =
            QDir(dir.path()).entryList({SqliteJobStore::kFileName + QStringLiteral(".unreadable-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1) << aside.join(QLatin1Char(' ')).toStdString();
        QFile kept(dir.filePath(aside[0]));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), before);
        std::vector<JournalRunSummary> runs;
        ASSERT_TRUE(store.InterruptedRuns(&runs).ok);
        EXPECT_TRUE(runs.empty());
        qint64 id = 0;
        const JournalResult created = store.CreateRun({}, Rows(1), &id);
        EXPECT_TRUE(created.ok) << created.message.toStdString();
    }
}

// A journal that cannot be written is an error, never set aside, and nothing is claimed.
TEST_F(SqliteJobStoreTest, AJournalThatCannotBeCreatedFailsToOpenAndClaimsNothing) {
    // Its folder is a regular file: nothing can be created there, whoever runs the test.
    QFile blocker(m_dir.filePath(QStringLiteral("data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SqliteJobStore store(blocker.fileName() + QLatin1Char('/') + SqliteJobStore::kFileName);
    const JournalResult opened = store.Open();
    EXPECT_FALSE(opened.ok);
    EXPECT_TRUE(opened.message.startsWith(QStringLiteral("The run journal "))) << opened.message.toStdString();
    QString error;
    EXPECT_EQ(store.Claim(1, 0, QStringLiteral("1"), &error), JobStore::ClaimOutcome::Failed);
    EXPECT_FALSE(error.isEmpty());
    qint64 id = 0;
    EXPECT_FALSE(store.CreateRun({}, Rows(1), &id).ok);
    EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files).isEmpty());
}
