#include "app/DataPaths.h"
#include "app/AppShell.h"
#include "app/FileOpener.h"
#include "fakes/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every entry under a folder, relative, sorted.
QStringList Tree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

TEST(DataPaths, StartingWithNoDataFolderCreatesEveryFileWithOnlyTheMark) {
    QTemporaryDir app;
    const DataPaths paths = AppShell::Startup(app.path());
    EXPECT_EQ(DataPaths::Shared().ApplicationFolder(), app.path());
    EXPECT_EQ(Tree(app.path()), (QStringList{"BULK_SMS_DATA", "BULK_SMS_DATA/AppExclusion.vrix",
                                             "BULK_SMS_DATA/Exclusion", "BULK_SMS_DATA/Exclusion/ExListIndex.vrix",
                                             "BULK_SMS_DATA/SentItem.vrix", "BULK_SMS_DATA/SentItemAnd.vrix",
                                             "BULK_SMS_DATA/SentItemWnd.vrix", "BULK_SMS_DATA/Templates.vrix"}));
    for (const QString& file : {paths.TemplatesFile(), paths.SentItemFile(), paths.SentItemWndFile(),
                                paths.SentItemAndFile(), paths.AppExclusionFile(), paths.ExclusionIndexFile()})
        EXPECT_EQ(Bytes(file), QByteArray("\xFF\xFE")) << file.toStdString();
}

TEST(DataPaths, ExistingFilesAreNeverChanged) {
    QTemporaryDir app;
    const DataPaths paths(app.path());
    QDir().mkpath(paths.ExclusionFolder());
    const QByteArray templates("\xFF\xFEh\0i\0\n\0", 8);
    Put(paths.TemplatesFile(), templates);
    Put(paths.SentItemFile(), {});                 // empty, not even a mark
    Put(paths.AppExclusionFile(), "8-bit list\n"); // not UTF-16 at all
    paths.EnsureDataFiles();
    paths.EnsureDataFiles();
    EXPECT_EQ(Bytes(paths.TemplatesFile()), templates);
    EXPECT_EQ(Bytes(paths.SentItemFile()), QByteArray());
    EXPECT_EQ(Bytes(paths.AppExclusionFile()), QByteArray("8-bit list\n"));
    EXPECT_EQ(Bytes(paths.ExclusionIndexFile()), QByteArray("\xFF\xFE"));
}

TEST(DataPaths, FixedNamesUnderTheApplicationFolder) {
    const DataPaths paths(QStringLiteral("/opt/vrix/"));
    EXPECT_EQ(paths.ApplicationFolder(), "/opt/vrix");
    EXPECT_EQ(paths.DataFolder(), "/opt/vrix/BULK_SMS_DATA");
    EXPECT_EQ(paths.ExclusionListFile("Sales"), "/opt/vrix/BULK_SMS_DATA/Exclusion/Sales.vrix");
    EXPECT_EQ(paths.HelpFile(), "/opt/vrix/VRIXBulkSMS.chm");
    EXPECT_EQ(DataPaths(QStringLiteral("/")).DataFolder(), "/BULK_SMS_DATA");
    EXPECT_EQ(paths.ScratchFiles().size(), 6);
    EXPECT_TRUE(paths.ScratchFiles().contains("/opt/vrix/build.prop"));
}

TEST(DataPaths, FolderOfExecutable) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"/usr/bin/bulksms", "/usr/bin"}, {"/bulksms", "/"}, {"bulksms", "/"}, {"a/b", "a"}};
    for (const auto& [exe, folder] : cases)
        EXPECT_EQ(DataPaths::FolderOfExecutable(exe), folder) << exe.toStdString();
}

TEST(DataPaths, DefaultFolderIsBesideTheExecutableWhenWritable) {
    // The test program's own folder is the build tree, which is writable.
    EXPECT_EQ(DataPaths::DefaultApplicationFolder(), QCoreApplication::applicationDirPath());
}

TEST(DataPaths, RemoveScratchFilesTakesOnlyThePresentFiles) {
    QTemporaryDir app;
    const DataPaths paths(app.path());
    paths.EnsureDataFiles();
    Put(app.filePath("message.txt"), "x");
    Put(app.filePath("build.prop"), "x");
    Put(app.filePath("keep.txt"), "x");
    QDir().mkpath(app.filePath("myfile.txt")); // a folder of the same name is left alone
    paths.RemoveScratchFiles();
    EXPECT_EQ(Tree(app.path()).filter(QRegularExpression("^[^/]*$")),
              (QStringList{"BULK_SMS_DATA", "keep.txt", "myfile.txt"}));
}

TEST(DataPathsDeathTest, ShutdownRemovesScratchFilesAndExitsWithZero) {
    QTemporaryDir app;
    AppShell::Startup(app.path());
    Put(app.filePath("vrixsms.txt"), "x");
    EXPECT_EXIT(AppShell::Shutdown(), ::testing::ExitedWithCode(0), "");
    // The child removed the file; the parent sees the result.
    EXPECT_FALSE(QFile::exists(app.filePath("vrixsms.txt")));
}

TEST(FileOpener, MissingFileFailedStartAndSuccess) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QStringList launched;
    bool launcherWorks = false;
    FileOpener opener(prompter, [&](const QString& path) {
        launched << path;
        return launcherWorks;
    });

    EXPECT_FALSE(opener.Open(dir.filePath("VRIXBulkSMS.chm")));
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked()[0].message, "Does not exist.");
    EXPECT_EQ(prompter.Asked()[0].caption, AppShell::kProductName);
    EXPECT_TRUE(launched.isEmpty());

    Put(dir.filePath("report.html"), "x");
    EXPECT_FALSE(opener.Open(dir.filePath("report.html")));
    ASSERT_EQ(prompter.Asked().size(), 2u);
    EXPECT_EQ(prompter.Asked()[1].caption, "Message");
    EXPECT_TRUE(prompter.Asked()[1].message.endsWith(dir.filePath("report.html")));

    launcherWorks = true;
    EXPECT_TRUE(opener.Open(dir.filePath("report.html")));
    EXPECT_EQ(prompter.Asked().size(), 2u);
    EXPECT_EQ(launched.size(), 2);
}

} // namespace
