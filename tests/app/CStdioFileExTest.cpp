#include "app/CStdioFileEx.h"
#include "app/FileException.h"
#include "fakes/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Readable failure output.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using FileBytes::Utf16Le;

using F = CStdioFileEx;

class CStdioFileExTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    QString Put(const QString& name, const QByteArray& bytes) const {
        QFile f(PathOf(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    static QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static QStringList ReadAll(const QString& path, unsigned flags = F::kReadDataFile, unsigned codePage = 0) {
        F file;
        EXPECT_TRUE(file.SetCodePage(codePage));
        EXPECT_TRUE(file.Open(path, flags));
        QStringList lines;
        QString line;
        while (file.ReadString(line))
            lines << line;
        return lines;
    }

    QTemporaryDir m_dir;
};

TEST_F(CStdioFileExTest, NewUnicodeFileWithEmptyTextHoldsOnlyTheByteOrderMark) {
    F file;
    ASSERT_TRUE(file.Open(PathOf("new.vrix"), F::kAppendDataFile));
    file.WriteString(QString());
    file.Close();
    EXPECT_EQ(Bytes(PathOf("new.vrix")), QByteArray("\xFF\xFE"));
}

TEST_F(CStdioFileExTest, UnicodeWritingAddsTheMarkOnlyAtPositionZeroAndTranslatesNothing) {
    const QString path = PathOf("t.vrix");
    {
        F file;
        ASSERT_TRUE(file.Open(path, F::kAppendDataFile));
        file.WriteString(QStringLiteral("a\r\n"));
        file.Close();
    }
    {
        F file;
        ASSERT_TRUE(file.Open(path, F::kAppendDataFile));
        EXPECT_EQ(file.SeekToEnd(), 8);
        file.WriteString(QStringLiteral("\u20AC\n"));
        file.Close();
    }
    EXPECT_EQ(Bytes(path), QByteArray("\xFF\xFE"
                                      "a\0\r\0\n\0"
                                      "\xAC\x20\n\0",
                                      12));
}

TEST_F(CStdioFileExTest, AppendingToAnEmptyExistingFileStartsWithTheMark) {
    const QString path = Put("empty.vrix", {});
    F file;
    ASSERT_TRUE(file.Open(path, F::kAppendDataFile));
    file.SeekToEnd();
    file.WriteString(QStringLiteral("x"));
    file.Close();
    EXPECT_EQ(Bytes(path), QByteArray("\xFF\xFEx\0", 4));
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    unsigned flags;
    QStringList lines;
};

TEST_F(CStdioFileExTest, LineSplittingRules) {
    const QByteArray bom("\xFF\xFE");
    const std::vector<ReadCase> cases = {
        {"utf16 two CR LF lines",
         bom + Utf16Le(QStringLiteral("one\r\ntwo\r\n")),
         F::kReadDataFile,
         {QStringLiteral("one"), QStringLiteral("two")}},
        {"utf16 last line without end",
         bom + Utf16Le(QStringLiteral("a\nb")),
         F::kReadDataFile,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"utf16 only the mark", bom, F::kReadDataFile, {}},
        {"utf16 blank line and lone CR kept inside",
         bom + Utf16Le(QStringLiteral("\nx\ry\n\r")),
         F::kReadDataFile,
         {QString(), QStringLiteral("x\ry"), QString()}},
        {"utf16 mark inside the text is kept",
         bom + Utf16Le(QStringLiteral("a\n\uFEFFb\n")),
         F::kReadDataFile,
         {QStringLiteral("a"), QStringLiteral("\uFEFFb")}},
        {"utf16 odd trailing byte dropped",
         bom + Utf16Le(QStringLiteral("a\n")) + "b",
         F::kReadDataFile,
         {QStringLiteral("a")}},
        {"utf16 read-write text also detects the mark",
         bom + Utf16Le(QStringLiteral("L1\nL2\n")),
         F::kModeReadWrite | F::kTypeText | F::kModeWriteUnicode,
         {QStringLiteral("L1"), QStringLiteral("L2")}},
        {"utf16 without the mark is 8-bit",
         Utf16Le(QStringLiteral("ab")),
         F::kReadDataFile,
         {QString::fromLatin1("a\0b\0", 4)}},
        {"ansi last line without end",
         QByteArray("x\r\ny"),
         F::kReadDataFile,
         {QStringLiteral("x"), QStringLiteral("y")}},
        {"ansi lone CR and LF",
         QByteArray("a\rb\nc\r"),
         F::kReadDataFile,
         {QStringLiteral("a\rb"), QStringLiteral("c")}},
        {"ansi CR CR LF keeps one CR in text mode",
         QByteArray("a\r\r\nb"),
         F::kReadDataFile,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"ansi binary keeps CR before CR LF",
         QByteArray("a\r\r\nb"),
         F::kModeRead | F::kTypeBinary,
         {QStringLiteral("a\r"), QStringLiteral("b")}},
        {"ansi 1252 high bytes", QByteArray("\x80\xE9\x9F"), F::kReadDataFile, {QStringLiteral("\u20AC\u00E9\u0178")}},
        {"utf8 mark stays as three characters",
         QByteArray("\xEF\xBB\xBFhi\n"),
         F::kReadDataFile,
         {QStringLiteral("\u00EF\u00BB\u00BFhi")}},
        {"empty file", QByteArray(), F::kReadDataFile, {}},
    };
    for (const ReadCase& c : cases) {
        const QString path = Put(QStringLiteral("case.txt"), c.bytes);
        EXPECT_EQ(ReadAll(path, c.flags), c.lines) << c.name;
    }
}

TEST_F(CStdioFileExTest, ReadStringLeavesTheTextAloneAtTheEnd) {
    const QString path = Put("one.txt", "only");
    F file;
    ASSERT_TRUE(file.Open(path, F::kReadDataFile));
    QString line;
    ASSERT_TRUE(file.ReadString(line));
    line = QStringLiteral("kept");
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_EQ(line, QStringLiteral("kept"));
}

TEST_F(CStdioFileExTest, LongAnsiLinesComeBackInPiecesOf4095Bytes) {
    const QByteArray long5000(5000, 'x');
    EXPECT_EQ(ReadAll(Put("a.txt", long5000 + "\nend")),
              (QStringList{QString(4095, 'x'), QString(905, 'x'), QStringLiteral("end")}));
    // Exactly 4095 bytes: the line end comes alone in the next piece and reads as an empty line.
    EXPECT_EQ(ReadAll(Put("b.txt", QByteArray(4095, 'y') + "\n")), (QStringList{QString(4095, 'y'), QString()}));
    // In text mode CR LF counts as one byte.
    EXPECT_EQ(ReadAll(Put("c.txt", QByteArray(4094, 'z') + "\r\nq")), (QStringList{QString(4094, 'z'), "q"}));
    // UTF-16 lines have no such limit.
    const QString big(10000, QChar(0x4E2D));
    EXPECT_EQ(ReadAll(Put("d.txt", QByteArray("\xFF\xFE") + Utf16Le(big + "\n"))), QStringList{big});
}

TEST_F(CStdioFileExTest, Utf8PieceNeverSplitsACharacter) {
    const QByteArray bytes = QByteArray(4094, 'x') + QStringLiteral("\u00E9\u20AC").toUtf8() + "\n";
    EXPECT_EQ(ReadAll(Put("u.txt", bytes), F::kReadDataFile, F::kCodePageUtf8),
              (QStringList{QString(4094, 'x'), QStringLiteral("\u00E9\u20AC")}));
}

TEST_F(CStdioFileExTest, EightBitWritingConvertsToTheCodePage) {
    struct Case {
        unsigned codePage;
        QString text;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {0, QStringLiteral("\u20AC\u00E9\r\n"), QByteArray("\x80\xE9\r\n")},
        {1252, QStringLiteral("a\u4E2Db"), QByteArray("a#b")},
        {1252, QStringLiteral("e\u0301"), QByteArray("\xE9")},   // composed
        {1252, QStringLiteral("q\u0301"), QByteArray("q#")},     // no composed form: separated
        {1252, QStringLiteral("\U0001F600!"), QByteArray("#!")}, // one '#' per character
        {65001, QStringLiteral("\u00E9\n"), QByteArray("\xC3\xA9\n")},
        {28591, QStringLiteral("\u00FF\u0100"), QByteArray("\xFF#")},
        {20127, QStringLiteral("A\u00E9"), QByteArray("A#")},
    };
    for (const Case& c : cases) {
        const QString path = PathOf("w.txt");
        QFile::remove(path);
        F file;
        ASSERT_TRUE(file.SetCodePage(c.codePage));
        ASSERT_TRUE(file.Open(path, F::kModeCreate | F::kModeWrite | F::kTypeText));
        file.WriteString(c.text);
        file.Close();
        EXPECT_EQ(Bytes(path), c.bytes) << c.codePage << " " << c.text.toStdString();
    }
}

TEST_F(CStdioFileExTest, OtherWindowsCodePagesWhenTheConvertersKnowThem) {
    F file;
    EXPECT_FALSE(file.SetCodePage(4242));
    EXPECT_EQ(file.GetCodePage(), 0u);
    if (!file.SetCodePage(1251))
        GTEST_SKIP() << "no Windows-1251 converter in this Qt";
    const QString path = PathOf("cyr.txt");
    ASSERT_TRUE(file.Open(path, F::kModeCreate | F::kModeWrite | F::kTypeText));
    file.WriteString(QStringLiteral("\u0416\u20AC\u00E9\n"));
    file.Close();
    EXPECT_EQ(Bytes(path), QByteArray("\xC6\x88#\n"));
    EXPECT_EQ(ReadAll(path, F::kReadDataFile, 1251), QStringList{QStringLiteral("\u0416\u20AC#")});
}

TEST_F(CStdioFileExTest, OpeningFailuresReportTheSystemReason) {
    F file;
    FileError error;
    EXPECT_FALSE(file.Open(PathOf("missing.vrix"), F::kReadDataFile, &error));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(error.osError, ENOENT);
    EXPECT_EQ(FileErrorText(error), QStringLiteral("Error in file accessing.\n\nOR\n\nNo such file or directory"));

    EXPECT_FALSE(file.Open(m_dir.path(), F::kReadDataFile, &error));
    EXPECT_EQ(error.osError, EISDIR);

    // Writing without create needs an existing file.
    EXPECT_FALSE(file.Open(PathOf("missing.vrix"), F::kModeWrite | F::kTypeText, &error));
    EXPECT_FALSE(QFile::exists(PathOf("missing.vrix")));

    EXPECT_FALSE(file.Open(PathOf("no/such/dir/x.vrix"), F::kRewriteDataFile, &error));
    EXPECT_TRUE(FileErrorText(error).startsWith(QStringLiteral("Error in file accessing.")));
}

TEST_F(CStdioFileExTest, FileErrorTextRules) {
    struct Case {
        FileError error;
        QString text;
    };
    const std::vector<Case> cases = {
        {FileError::FromErrno("p", 0), QStringLiteral("Error in file accessing.")},
        {FileError::FromText("p", QString()), QStringLiteral("Error in file accessing.")},
        {FileError::FromErrno("p", EACCES), QStringLiteral("Error in file accessing.\n\nOR\n\nPermission denied")},
        {FileError::FromErrno("p", ENOSPC, true),
         QStringLiteral("Error in File creation.\n\nOR\n\nThere is not enough space on the disk.")},
        {FileError::FromErrno("p", ENOSPC, false),
         QStringLiteral("Error in file accessing.\n\nOR\n\nNo space left on device")},
        {FileError::FromText("p", QString(5000, 'm')),
         QStringLiteral("Error in file accessing.\n\nOR\n\n") + QString(4096, 'm')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileErrorText(c.error), c.text) << c.error.platformMessage.left(60).toStdString();
}

TEST_F(CStdioFileExTest, AtomicRewriteReplacesOnlyOnClose) {
    const QString path = Put("store.vrix", QByteArray("\xFF\xFEold\0", 5));
    const QByteArray old = Bytes(path);
    {
        F file;
        ASSERT_TRUE(file.Open(path, F::kRewriteDataFile));
        file.WriteString(QStringLiteral("half"));
        // Going out of scope without Close(), as an exception in the middle of a rewrite would.
    }
    EXPECT_EQ(Bytes(path), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"store.vrix"}) << "no temporary file left";

    auto rewriteThatFails = [&] {
        F file;
        ASSERT_TRUE(file.Open(path, F::kRewriteDataFile));
        file.WriteString(QStringLiteral("first record\n"));
        throw std::runtime_error("writer failed midway");
    };
    EXPECT_THROW(rewriteThatFails(), std::runtime_error);
    EXPECT_EQ(Bytes(path), old);

    F file;
    ASSERT_TRUE(file.Open(path, F::kRewriteDataFile));
    file.WriteString(QStringLiteral("new"));
    file.Close();
    EXPECT_EQ(Bytes(path), QByteArray("\xFF\xFEn\0e\0w\0", 8));
}

TEST_F(CStdioFileExTest, AtomicRewriteNeedsCreateAndWrite) {
    F file;
    FileError error;
    EXPECT_FALSE(file.Open(PathOf("x"), F::kModeAtomicRewrite | F::kModeWrite, &error));
    EXPECT_FALSE(file.Open(PathOf("x"), F::kRewriteDataFile | F::kModeNoTruncate, &error));
    EXPECT_EQ(error.osError, EINVAL);
}

TEST_F(CStdioFileExTest, RawAccessAndPositions) {
    const QString path = Put("raw.bin", "0123456789");
    F file;
    ASSERT_TRUE(file.Open(path, F::kModeReadWrite | F::kTypeBinary));
    EXPECT_EQ(file.GetLength(), 10);
    EXPECT_EQ(file.Seek(-3, F::SeekFrom::End), 7);
    char buf[8] = {};
    EXPECT_EQ(file.Read(buf, 8), 3);
    EXPECT_EQ(QByteArray(buf, 3), QByteArray("789"));
    file.SeekToBegin();
    file.Write("ab", 2);
    EXPECT_EQ(file.GetPosition(), 2);
    EXPECT_THROW(file.Seek(-1, F::SeekFrom::Begin), FileException);
    file.Close();
    EXPECT_EQ(Bytes(path), QByteArray("ab23456789"));
}

TEST_F(CStdioFileExTest, CreateTruncatesUnlessNoTruncate) {
    const QString path = Put("c.vrix", "abc");
    F file;
    ASSERT_TRUE(file.Open(path, F::kAppendDataFile));
    EXPECT_EQ(file.GetLength(), 3);
    file.Close();
    ASSERT_TRUE(file.Open(path, F::kModeCreate | F::kModeWrite));
    file.Close();
    EXPECT_EQ(Bytes(path), QByteArray());
}

TEST_F(CStdioFileExTest, WriteErrorsThrow) {
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    F file;
    ASSERT_TRUE(file.Open(QStringLiteral("/dev/full"), F::kModeWrite | F::kTypeBinary));
    EXPECT_THROW(
        {
            file.WriteString(QString(20000, 'x'));
            file.Close();
        },
        FileException);
}

} // namespace
