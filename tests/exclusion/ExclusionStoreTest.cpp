#include "exclusion/ExclusionStore.h"

#include "app/CStdioFileEx.h"
#include "exclusion/LoadExclusionSet.h"
#include "fakes/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using FileBytes::Utf16Le;

// A data file as the store writes it: FF FE, then each entry and "\n" in UTF-16LE.
QByteArray DataFile(const QStringList& lines) {
    QByteArray out("\xFF\xFE");
    for (const QString& l : lines)
        out += Utf16Le(l + QLatin1Char('\n'));
    return out;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class ExclusionStoreTest : public ::testing::Test {
protected:
    void SetUp() override { m_paths.EnsureDataFiles(); }

    QStringList Names() const { return m_store.ListNames().lines; }
    QStringList Applied() const { return m_store.AppliedNames().lines; }

    QTemporaryDir m_dir;
    DataPaths m_paths{m_dir.path()};
    ExclusionStore m_store{m_paths};
};

TEST_F(ExclusionStoreTest, CreatingTwoListsWritesIndexAndListFilesByteForByte) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("+4412"), QStringLiteral("0044-20")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), DataFile({QStringLiteral("Sales"), QStringLiteral("Admin")}));
    EXPECT_EQ(Bytes(m_paths.ExclusionListFile(QStringLiteral("Sales"))), QByteArray("\xFF\xFE+\0"
                                                                                    "4\0"
                                                                                    "4\0"
                                                                                    "1\0"
                                                                                    "2\0"
                                                                                    "\n\0"
                                                                                    "0\0"
                                                                                    "0\0"
                                                                                    "4\0"
                                                                                    "4\0"
                                                                                    "-\0"
                                                                                    "2\0"
                                                                                    "0\0"
                                                                                    "\n\0",
                                                                                    30));
    EXPECT_EQ(Bytes(m_paths.ExclusionListFile(QStringLiteral("Admin"))), QByteArray("\xFF\xFE"));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Admin")}));
}

TEST_F(ExclusionStoreTest, AppendListChecksTheNameAgainstTheIndex) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")}).Ok());
    const ExclusionStoreStatus dup = m_store.AppendList(QStringLiteral("SALES"), {QStringLiteral("2")});
    EXPECT_EQ(dup.kind, ExclusionStoreStatus::Kind::NameRefused);
    EXPECT_EQ(dup.Text(), QStringLiteral("Entered exclusion list name already exists."));
    EXPECT_EQ(m_store.AppendList(QStringLiteral("ExListIndex"), {}).Text(),
              QStringLiteral("Please enter the another name."));
    EXPECT_EQ(m_store.AppendList(QStringLiteral("a/b"), {}).Text(), QStringLiteral("Please enter a valid name."));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Sales")});
    EXPECT_EQ(m_store.LoadList(QStringLiteral("Sales")).lines, QStringList{QStringLiteral("1")});
    // A trimmed name is stored trimmed.
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("  Admin "), {}).Ok());
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Admin")}));
}

TEST_F(ExclusionStoreTest, ANewListReplacesAStrayFileOfTheSameName) {
    // A longer file left behind (not in the index) must not leave its tail after the new numbers.
    Put(m_paths.ExclusionListFile(QStringLiteral("Old")), DataFile({QStringLiteral("11111111"), QStringLiteral("2")}));
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Old"), {QStringLiteral("3")}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionListFile(QStringLiteral("Old"))), DataFile({QStringLiteral("3")}));
}

TEST_F(ExclusionStoreTest, AppendingToAnIndexWithoutFinalLineEndOrInEightBitKeepsNamesApart) {
    Put(m_paths.ExclusionIndexFile(), QByteArray("\xFF\xFE") + Utf16Le(QStringLiteral("Sales")));
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), DataFile({QStringLiteral("Sales"), QStringLiteral("Admin")}));

    Put(m_paths.ExclusionIndexFile(), QByteArray("Sales\r\nR & D\r\n"));
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()),
              DataFile({QStringLiteral("Sales"), QStringLiteral("R & D"), QStringLiteral("Admin")}));

    Put(m_paths.ExclusionIndexFile(), QByteArray());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Team"), {}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), DataFile({QStringLiteral("Team")}));
}

TEST_F(ExclusionStoreTest, SaveListRewritesTheWholeFile) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1111"), QStringLiteral("2222")}).Ok());
    ASSERT_TRUE(m_store.SaveList(QStringLiteral("Sales"), {QStringLiteral("3")}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionListFile(QStringLiteral("Sales"))), DataFile({QStringLiteral("3")}));
    ASSERT_TRUE(m_store.SaveList(QStringLiteral("Sales"), {}).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionListFile(QStringLiteral("Sales"))), QByteArray("\xFF\xFE"));
}

TEST_F(ExclusionStoreTest, ListFilesReadBlankLinesEightBitAndCrLf) {
    Put(m_paths.ExclusionListFile(QStringLiteral("U")),
        QByteArray("\xFF\xFE") + Utf16Le(QStringLiteral("111\n\n222\r\n333")));
    EXPECT_EQ(m_store.LoadList(QStringLiteral("U")).lines,
              (QStringList{QStringLiteral("111"), QString(), QStringLiteral("222"), QStringLiteral("333")}));
    Put(m_paths.ExclusionListFile(QStringLiteral("A")), QByteArray("111\r\n\r\n222"));
    EXPECT_EQ(m_store.LoadList(QStringLiteral("A")).lines,
              (QStringList{QStringLiteral("111"), QString(), QStringLiteral("222")}));
}

TEST_F(ExclusionStoreTest, AUnicodeListIsReadAsReadStringReadsItLineByLine) {
    const QByteArray cases[] = {
        QByteArray("\xFF\xFE"),
        Utf16Le(QStringLiteral("1\n2\n")).prepend("\xFF\xFE"),
        Utf16Le(QStringLiteral("1\n\n2")).prepend("\xFF\xFE"),          // a blank entry, no final line end
        Utf16Le(QStringLiteral("1\r\n2\r\n3\r")).prepend("\xFF\xFE"),   // CR LF, and a last CR
        Utf16Le(QStringLiteral("a\r\r\nb\n\r")).prepend("\xFF\xFE"),    // only the CR next to the LF goes
        Utf16Le(QStringLiteral("12\n34")).prepend("\xFF\xFE") + "\x35", // a lone trailing byte
        Utf16Le(QStringLiteral("\n\n")).prepend("\xFF\xFE"),
    };
    for (const QByteArray& bytes : cases) {
        Put(m_store.ListPath(QStringLiteral("L")), bytes);
        QStringList expected;
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(m_store.ListPath(QStringLiteral("L")), CStdioFileEx::kReadDataFile));
        ASSERT_TRUE(file.IsFileUnicodeText());
        for (QString line; file.ReadString(line);)
            expected << line;
        const ExclusionStoreLines read = m_store.LoadList(QStringLiteral("L"));
        EXPECT_TRUE(read.status.Ok());
        EXPECT_EQ(read.lines, expected) << bytes.toHex().toStdString();
    }
}

TEST_F(ExclusionStoreTest, LoadingAMissingListGivesTheFileErrorText) {
    const ExclusionStoreLines lines = m_store.LoadList(QStringLiteral("Nowhere"));
    EXPECT_TRUE(lines.lines.isEmpty());
    EXPECT_EQ(lines.status.kind, ExclusionStoreStatus::Kind::FileError);
    EXPECT_TRUE(lines.status.Text().startsWith(QStringLiteral("Error in file accessing.\n\nOR\n\n")))
        << lines.status.Text().toStdString();
}

TEST_F(ExclusionStoreTest, SaveAppliedWritesNamesInOrder) {
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("B"), QStringLiteral("A")}).Ok());
    EXPECT_EQ(Bytes(m_paths.AppExclusionFile()), DataFile({QStringLiteral("B"), QStringLiteral("A")}));
    ASSERT_TRUE(m_store.SaveApplied({}).Ok());
    EXPECT_EQ(Bytes(m_paths.AppExclusionFile()), QByteArray("\xFF\xFE"));
}

TEST_F(ExclusionStoreTest, DeletingAnAppliedListRemovesItEverywhere) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {QStringLiteral("2")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("R & D"), {QStringLiteral("3")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("R & D"), QStringLiteral("Sales")}).Ok());

    ASSERT_TRUE(m_store.DeleteLists({QStringLiteral("Sales"), QStringLiteral("Admin")}).Ok());
    EXPECT_FALSE(QFile::exists(m_paths.ExclusionListFile(QStringLiteral("Sales"))));
    EXPECT_FALSE(QFile::exists(m_paths.ExclusionListFile(QStringLiteral("Admin"))));
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), DataFile({QStringLiteral("R & D")}));
    EXPECT_EQ(Bytes(m_paths.AppExclusionFile()), DataFile({QStringLiteral("R & D")}));
}

TEST_F(ExclusionStoreTest, DeletingAListWhoseFileIsAlreadyGoneStillDropsItsName) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("Sales")}).Ok());
    ASSERT_TRUE(QFile::remove(m_paths.ExclusionListFile(QStringLiteral("Sales"))));
    ASSERT_TRUE(m_store.DeleteLists({QStringLiteral("Sales")}).Ok());
    EXPECT_TRUE(Names().isEmpty());
    EXPECT_TRUE(Applied().isEmpty());
}

TEST_F(ExclusionStoreTest, RenamingAnAppliedListRenamesFileIndexAndAppliedEntry) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {QStringLiteral("2")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("Admin"), QStringLiteral("Sales")}).Ok());

    ASSERT_TRUE(m_store.RenameList(QStringLiteral("Sales"), QStringLiteral("Sales Team")).Ok());
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), DataFile({QStringLiteral("Sales Team"), QStringLiteral("Admin")}));
    EXPECT_EQ(Bytes(m_paths.AppExclusionFile()), DataFile({QStringLiteral("Admin"), QStringLiteral("Sales Team")}));
    EXPECT_FALSE(QFile::exists(m_paths.ExclusionListFile(QStringLiteral("Sales"))));
    EXPECT_EQ(m_store.LoadList(QStringLiteral("Sales Team")).lines, QStringList{QStringLiteral("1")});
}

TEST_F(ExclusionStoreTest, RenameRefusals) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("Admin"), {QStringLiteral("2")}).Ok());

    EXPECT_EQ(m_store.RenameList(QStringLiteral("Sales"), QStringLiteral("admin")).Text(),
              QStringLiteral("Entered exclusion list name already exists."));

    ASSERT_TRUE(QFile::remove(m_paths.ExclusionListFile(QStringLiteral("Admin"))));
    const ExclusionStoreStatus missing = m_store.RenameList(QStringLiteral("Admin"), QStringLiteral("Office"));
    EXPECT_EQ(missing.kind, ExclusionStoreStatus::Kind::MissingFile);
    EXPECT_EQ(missing.Text(), QStringLiteral("Error in file accessing."));

    // A stray file under the new name is never overwritten.
    Put(m_paths.ExclusionListFile(QStringLiteral("Stray")), DataFile({QStringLiteral("9")}));
    const ExclusionStoreStatus clash = m_store.RenameList(QStringLiteral("Sales"), QStringLiteral("Stray"));
    EXPECT_EQ(clash.kind, ExclusionStoreStatus::Kind::FileError);
    EXPECT_EQ(m_store.LoadList(QStringLiteral("Stray")).lines, QStringList{QStringLiteral("9")});
    EXPECT_EQ(m_store.LoadList(QStringLiteral("Sales")).lines, QStringList{QStringLiteral("1")});
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Admin")}));
}

TEST_F(ExclusionStoreTest, AMissingIndexIsReportedAndNothingIsWritten) {
    ASSERT_TRUE(QFile::remove(m_paths.ExclusionIndexFile()));
    const ExclusionStoreStatus status = m_store.AppendList(QStringLiteral("Sales"), {QStringLiteral("1")});
    EXPECT_EQ(status.kind, ExclusionStoreStatus::Kind::FileError);
    EXPECT_FALSE(QFile::exists(m_paths.ExclusionListFile(QStringLiteral("Sales"))));
}

// ---- LoadExclusionSet ----

TEST_F(ExclusionStoreTest, SetHoldsTheAppliedListsOnly) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("A"), {QStringLiteral("+4412"), QStringLiteral("555")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("B"), {QStringLiteral("555"), QStringLiteral("777")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("C"), {QStringLiteral("888")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("A"), QStringLiteral("B")}).Ok());

    const ExclusionSetLoad load = LoadExclusionSet(m_store);
    EXPECT_TRUE(load.status.Ok());
    EXPECT_TRUE(load.skippedLists.isEmpty());
    EXPECT_EQ(load.set.EntryCount(), 4); // 555 stands twice
    EXPECT_TRUE(load.set.IsExcluded(QStringLiteral("555")));
    EXPECT_TRUE(load.set.IsExcluded(QStringLiteral("+4412")));
    EXPECT_FALSE(load.set.IsExcluded(QStringLiteral("4412"))); // a stored '+' must match
    EXPECT_FALSE(load.set.IsExcluded(QStringLiteral("888")));  // not applied
}

TEST_F(ExclusionStoreTest, AnAppliedListDeletedOutsideIsSkippedSilently) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("A"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("B"), {QStringLiteral("2")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("A"), QStringLiteral("B")}).Ok());
    ASSERT_TRUE(QFile::remove(m_paths.ExclusionListFile(QStringLiteral("A"))));

    const ExclusionSetLoad load = LoadExclusionSet(m_store);
    EXPECT_TRUE(load.status.Ok());
    EXPECT_EQ(load.skippedLists, QStringList{QStringLiteral("A")});
    EXPECT_FALSE(load.set.IsExcluded(QStringLiteral("1")));
    EXPECT_TRUE(load.set.IsExcluded(QStringLiteral("2")));
}

TEST_F(ExclusionStoreTest, UnreadableAppliedFileIsReportedAndTheSetStaysEmpty) {
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("A"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(QFile::remove(m_paths.AppExclusionFile()));
    ASSERT_TRUE(QDir().mkdir(m_paths.AppExclusionFile())); // a folder where the file should be
    const ExclusionSetLoad load = LoadExclusionSet(m_store);
    EXPECT_EQ(load.status.kind, ExclusionStoreStatus::Kind::FileError);
    EXPECT_TRUE(load.set.IsEmpty());
}

TEST_F(ExclusionStoreTest, LoadCreatesMissingDataFilesFirst) {
    ASSERT_TRUE(QDir(m_paths.DataFolder()).removeRecursively());
    const ExclusionSetLoad load = LoadExclusionSet(m_store);
    EXPECT_TRUE(load.status.Ok());
    EXPECT_EQ(Bytes(m_paths.AppExclusionFile()), QByteArray("\xFF\xFE"));
    EXPECT_EQ(Bytes(m_paths.ExclusionIndexFile()), QByteArray("\xFF\xFE"));
}

TEST_F(ExclusionStoreTest, ReadOnlyDataFilesStillGiveTheirExclusions) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    ASSERT_TRUE(m_store.AppendList(QStringLiteral("A"), {QStringLiteral("1")}).Ok());
    ASSERT_TRUE(m_store.SaveApplied({QStringLiteral("A")}).Ok());
    for (const QString& f : {m_paths.AppExclusionFile(), m_paths.ExclusionListFile(QStringLiteral("A"))})
        ASSERT_TRUE(QFile::setPermissions(f, QFileDevice::ReadOwner));
    const ExclusionSetLoad load = LoadExclusionSet(m_store);
    EXPECT_TRUE(load.status.Ok());
    EXPECT_TRUE(load.set.IsExcluded(QStringLiteral("1")));
}

} // namespace
