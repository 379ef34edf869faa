// Two processes changing the exclusion lists at once (the desktop program renaming a list while bulksms-cli adds
// lists): the index is read and rewritten under its lock, so no list added in between is lost.

#include "exclusion/ExclusionStore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

TEST(ExclusionStoreLock, ListsAddedByOneProcessSurviveAnotherProcesssRenames) {
    QTemporaryDir dir;
    const DataPaths paths(dir.path());
    paths.EnsureDataFiles();
    ExclusionStore store(paths);
    ASSERT_TRUE(store.AppendList(QStringLiteral("keep-0"), {QStringLiteral("+15550001")}).Ok());
    constexpr int kRounds = 40;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The other program: renames one list back and forth, each time a read and a rewrite of the index.
        ExclusionStore other(paths);
        bool ok = true;
        for (int i = 0; i < kRounds; ++i)
            ok = other.RenameList(QStringLiteral("keep-%1").arg(i), QStringLiteral("keep-%1").arg(i + 1)).Ok() && ok;
        ::_exit(ok ? 0 : 1);
    }
    for (int i = 0; i < kRounds; ++i)
        EXPECT_TRUE(store.AppendList(QStringLiteral("added-%1").arg(i), {QStringLiteral("+1555100%1").arg(i)}).Ok());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const ExclusionStoreLines index = store.ListNames();
    ASSERT_TRUE(index.status.Ok());
    for (int i = 0; i < kRounds; ++i)
        EXPECT_EQ(index.lines.count(QStringLiteral("added-%1").arg(i)), 1) << i;
    EXPECT_EQ(index.lines.count(QStringLiteral("keep-%1").arg(kRounds)), 1);
    EXPECT_EQ(index.lines.size(), kRounds + 1);
}
