// Data files locked across processes: an append waits while another process holds the file's lock (in the
// middle of a rewrite), and lands after it.

#include "app/DataFileLock.h"
#include "records/SentItemsStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

TEST(DataFileLock, AnAppendWaitsForAnotherProcesssRewrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SentItem.vrix"));
    const QString marker = dir.filePath(QStringLiteral("rewritten"));
    SentItemsStore store(path);
    ASSERT_TRUE(store.Append(SentItemsStore::MakeRecord(QStringLiteral("+15550001"), QStringLiteral("old"),
                                                        QStringLiteral("Message sent successfully."))));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The other program: holds the lock while it rewrites the log through a temporary file.
        DataFileLock lock(path);
        const char ok = lock.IsLocked() ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &ok, 1));
        ::usleep(200 * 1000);
        QFile f(path + QStringLiteral(".new"));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray("\xFF\xFE", 2));
        f.close();
        ::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), QFile::encodeName(path).constData());
        QFile done(marker);
        done.open(QIODevice::WriteOnly);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    ASSERT_TRUE(store.Append(SentItemsStore::MakeRecord(QStringLiteral("+15550002"), QStringLiteral("new"),
                                                        QStringLiteral("Message sent successfully."))));
    EXPECT_TRUE(QFile::exists(marker)); // the append went after the rewrite ...
    int status = 0;
    ::waitpid(child, &status, 0);
    QList<SentItemRecord> records;
    ASSERT_TRUE(store.Load(&records));
    ASSERT_EQ(records.size(), 1); // ... into the rewritten file, not into the replaced one
    EXPECT_EQ(records[0].number, QStringLiteral("+15550002"));
    ::close(ready[0]);
    ::close(ready[1]);
}
