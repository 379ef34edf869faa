#include "exclusion/ExclusionListRules.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

struct NameCase {
    QString name;
    ListNameError expected;
};

TEST(ListNameRulesTest, RulesInOrder) {
    const QStringList available = {QStringLiteral("Sales"), QStringLiteral("Admin Team")};
    const NameCase cases[] = {
        {QString(), ListNameError::Empty},
        {QStringLiteral("   "), ListNameError::Empty},
        {QStringLiteral("a/b"), ListNameError::Invalid},
        {QStringLiteral("a\\b"), ListNameError::Invalid},
        {QStringLiteral("a:b"), ListNameError::Invalid},
        {QStringLiteral("a*b"), ListNameError::Invalid},
        {QStringLiteral("a?b"), ListNameError::Invalid},
        {QStringLiteral("a\"b"), ListNameError::Invalid},
        {QStringLiteral("a<b"), ListNameError::Invalid},
        {QStringLiteral("a>b"), ListNameError::Invalid},
        {QStringLiteral("a|b"), ListNameError::Invalid},
        {QStringLiteral("a\x01"
                        "b"),
         ListNameError::Invalid},
        {QStringLiteral("a\x1F"
                        "b"),
         ListNameError::Invalid},
        {QString(QStringLiteral("a") + QChar(0x80)), ListNameError::Invalid},
        {QString(QStringLiteral("caf") + QChar(0xE9)), ListNameError::Invalid}, // U+00E9 is in U+0080-U+00FF
        {QString(QStringLiteral("a") + QChar(0x100)), ListNameError::None},
        {QStringLiteral("Con"), ListNameError::Invalid},
        {QStringLiteral("lpt3"), ListNameError::Invalid},
        {QStringLiteral("COM9"), ListNameError::Invalid},
        {QStringLiteral("nul"), ListNameError::Invalid},
        {QStringLiteral("COM0"), ListNameError::None},
        {QStringLiteral("CON list"), ListNameError::None}, // the whole name only
        {QStringLiteral("ExListIndex"), ListNameError::Reserved},
        {QStringLiteral(" ExListIndex "), ListNameError::Reserved}, // checked on the trimmed name
        {QStringLiteral("exlistindex"), ListNameError::None},
        {QStringLiteral("sales"), ListNameError::AlreadyExists},
        {QStringLiteral("  ADMIN TEAM "), ListNameError::AlreadyExists},
        {QStringLiteral("Sales Team members"), ListNameError::None},
        {QString(50, QLatin1Char('x')), ListNameError::None},
        {QString(51, QLatin1Char('x')), ListNameError::Invalid},
        {QStringLiteral("con"), ListNameError::Invalid}, // invalid before any duplicate test
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(CheckListName(c.name, available), c.expected) << c.name.toStdString();
    EXPECT_EQ(
        CheckListName(QStringLiteral("exlistindex"), {QStringLiteral("ExListIndex2"), QStringLiteral("EXLISTINDEX")}),
        ListNameError::AlreadyExists);
}

TEST(ExclusionRulesTest, EveryErrorHasItsMessage) {
    EXPECT_EQ(ListNameErrorText(ListNameError::None), QString());
    EXPECT_EQ(ListNameErrorText(ListNameError::Empty), QStringLiteral("Please enter exclusion list name."));
    EXPECT_EQ(ListNameErrorText(ListNameError::Invalid), QStringLiteral("Please enter a valid name."));
    EXPECT_EQ(ListNameErrorText(ListNameError::Reserved), QStringLiteral("Please enter the another name."));
    EXPECT_EQ(ListNameErrorText(ListNameError::AlreadyExists),
              QStringLiteral("Entered exclusion list name already exists."));
    EXPECT_EQ(ExclusionNumberErrorText(ExclusionNumberError::Invalid),
              QStringLiteral("Please enter a valid phone number."));
    EXPECT_EQ(ExclusionNumberErrorText(ExclusionNumberError::Duplicate),
              QStringLiteral("Entered number already exists."));
    EXPECT_EQ(TextImportErrorText(TextImportError::NotAnsi),
              QStringLiteral("Please select the ANSI encoded text file."));
    EXPECT_EQ(TextImportErrorText(TextImportError::EmptyFile), QStringLiteral("File is empty."));
    EXPECT_EQ(TextImportErrorText(TextImportError::NothingTaken),
              QStringLiteral("Either file is corrupted or selected file contains invalid characters.\n\nOR\n\n"
                             "Numbers are skipped because of duplicate number already exits in the exclusion list."));
    EXPECT_EQ(ImportFileErrorText(ImportFileError::Missing),
              QStringLiteral("File does not exist on selected location."));
    EXPECT_EQ(ImportFileErrorText(ImportFileError::BadExtension), QStringLiteral("Please select a valid file."));
}

TEST(ExclusionNumberListTest, TypedNumbersGoOnTopAsTyped) {
    ExclusionNumberList list;
    EXPECT_EQ(list.AddTyped(QStringLiteral(" 0044-20 ")), ExclusionNumberError::None);
    EXPECT_EQ(list.AddTyped(QStringLiteral("+4412")), ExclusionNumberError::None);
    EXPECT_EQ(list.Numbers(), (QStringList{QStringLiteral("+4412"), QStringLiteral("0044-20")}));
    EXPECT_EQ(list.AddTyped(QStringLiteral("+4412")), ExclusionNumberError::Duplicate);
    EXPECT_EQ(list.AddTyped(QStringLiteral("004420")), ExclusionNumberError::None); // no normalisation
    EXPECT_EQ(list.AddTyped(QStringLiteral("44+12")), ExclusionNumberError::Invalid);
    EXPECT_EQ(list.AddTyped(QStringLiteral("   ")), ExclusionNumberError::Invalid);
    EXPECT_EQ(list.AddTyped(QStringLiteral("(0044)")), ExclusionNumberError::Invalid);
    EXPECT_EQ(list.CountText(), QStringLiteral("Total Numbers : 3"));
}

TEST(ExclusionNumberListTest, ReplaceAcceptsUnchangedAndRefusesOtherRowsNumber) {
    ExclusionNumberList list({QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")});
    EXPECT_EQ(list.Replace(1, QStringLiteral("222")), ExclusionNumberError::None);
    EXPECT_EQ(list.Replace(1, QStringLiteral("111")), ExclusionNumberError::Duplicate);
    EXPECT_EQ(list.Replace(1, QStringLiteral("2a2")), ExclusionNumberError::Invalid);
    EXPECT_EQ(list.Replace(1, QStringLiteral("444")), ExclusionNumberError::None);
    EXPECT_EQ(list.Numbers(), (QStringList{QStringLiteral("111"), QStringLiteral("444"), QStringLiteral("333")}));
    // The old number is free again, the new one taken.
    EXPECT_FALSE(list.Contains(QStringLiteral("222")));
    EXPECT_EQ(list.AddTyped(QStringLiteral("444")), ExclusionNumberError::Duplicate);
    list.RemoveRows({2, 0, 2, 7});
    EXPECT_EQ(list.Numbers(), QStringList{QStringLiteral("444")});
    EXPECT_EQ(list.AddTyped(QStringLiteral("111")), ExclusionNumberError::None);
}

TEST(ExclusionNumberListTest, ALoadedListWithRepeatsKeepsTheRepeatIndexed) {
    ExclusionNumberList list({QStringLiteral("111"), QStringLiteral("111")});
    list.RemoveRows({0});
    EXPECT_TRUE(list.Contains(QStringLiteral("111")));
    EXPECT_EQ(list.Replace(0, QStringLiteral("111")), ExclusionNumberError::None);
}

TEST(ExclusionNumberListTest, AListMovedAwayLeavesAnEmptyOneThatIndexesAgain) {
    ExclusionNumberList list({QStringLiteral("111"), QStringLiteral("222")});
    const ExclusionNumberList moved = std::exchange(list, ExclusionNumberList());
    ExclusionNumberList assigned;
    assigned = std::move(list);
    for (ExclusionNumberList* emptied : {&list, &assigned}) {
        EXPECT_FALSE(emptied->Contains(QStringLiteral("111")));
        EXPECT_EQ(emptied->AddTyped(QStringLiteral("111")), ExclusionNumberError::None);
        EXPECT_EQ(emptied->AddTyped(QStringLiteral("111")), ExclusionNumberError::Duplicate);
    }
    EXPECT_TRUE(moved.Contains(QStringLiteral("222")));
    EXPECT_EQ(moved.Count(), 2);
}

struct TextImportCase {
    const char* name;
    QByteArray bytes;
    QStringList existing;
    TextImportError error;
    QStringList numbers; // the list afterwards
};

TEST(TextImportTest, FilesOfNumbers) {
    const TextImportCase cases[] = {
        {"utf8 bom",
         QByteArray("\xEF\xBB\xBF"
                    "12345\n"),
         {},
         TextImportError::NotAnsi,
         {}},
        {"utf16le bom",
         QByteArray("\xFF\xFE"
                    "1\0"
                    "2\0",
                    6),
         {},
         TextImportError::NotAnsi,
         {}},
        {"utf16be bom",
         QByteArray("\xFE\xFF\0"
                    "1",
                    4),
         {},
         TextImportError::NotAnsi,
         {}},
        {"empty", QByteArray(), {}, TextImportError::EmptyFile, {}},
        {"hyphen comma parentheses",
         QByteArray("0044-207946,(020) 7946"),
         {},
         TextImportError::None,
         {QStringLiteral("0044207946"), QStringLiteral("0207946")}},
        {"lf only, last line without end",
         QByteArray("111\n222\n333"),
         {},
         TextImportError::None,
         {QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")}},
        {"crlf and blanks",
         QByteArray("111\r\n\r\n 2 2 2 \r\n,,"),
         {},
         TextImportError::None,
         {QStringLiteral("111"), QStringLiteral("222")}},
        {"ahead of existing, in file order",
         QByteArray("555\n444"),
         {QStringLiteral("999")},
         TextImportError::None,
         {QStringLiteral("555"), QStringLiteral("444"), QStringLiteral("999")}},
        {"duplicates of the list and of the file",
         QByteArray("999\n123\n123\n+1\n"),
         {QStringLiteral("999")},
         TextImportError::None,
         {QStringLiteral("123"), QStringLiteral("+1"), QStringLiteral("999")}},
        {"only invalid", QByteArray("12a4\n44+12\n+\n"), {}, TextImportError::NothingTaken, {}},
        {"only duplicates",
         QByteArray("999"),
         {QStringLiteral("999")},
         TextImportError::NothingTaken,
         {QStringLiteral("999")}},
        {"tab trimmed", QByteArray("\t777\t\n"), {}, TextImportError::None, {QStringLiteral("777")}},
        {"8-bit letters refused",
         QByteArray("12\xE9"
                    "4\n88"),
         {},
         TextImportError::None,
         {QStringLiteral("88")}},
        {"only a line end", QByteArray("\n"), {}, TextImportError::NothingTaken, {}},
    };
    for (const TextImportCase& c : cases) {
        ExclusionNumberList list(c.existing);
        const TextImportResult result = ImportNumbersFromText(c.bytes, list);
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(list.Numbers(), c.numbers) << c.name;
        if (c.error == TextImportError::None) {
            EXPECT_EQ(result.taken, c.numbers.size() - c.existing.size()) << c.name;
        }
    }
}

TEST(TextImportTest, SkippedTokensAreCounted) {
    ExclusionNumberList list({QStringLiteral("1")});
    const TextImportResult result = ImportNumbersFromText(QByteArray("1,2,x,2,3"), list);
    EXPECT_EQ(result.taken, 2);
    EXPECT_EQ(result.skipped, 3);
}

TEST(ImportFileTest, OnlyExistingTextAndWorkbookFiles) {
    QTemporaryDir dir;
    for (const char* name : {"a.txt", "b.XLSX", "c.xls", "d.csv"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(CheckImportFile(dir.filePath(QStringLiteral("a.txt"))), ImportFileError::None);
    EXPECT_EQ(CheckImportFile(dir.filePath(QStringLiteral("b.XLSX"))), ImportFileError::None);
    EXPECT_EQ(CheckImportFile(dir.filePath(QStringLiteral("c.xls"))), ImportFileError::None);
    EXPECT_EQ(CheckImportFile(dir.filePath(QStringLiteral("d.csv"))), ImportFileError::BadExtension);
    EXPECT_EQ(CheckImportFile(dir.filePath(QStringLiteral("missing.txt"))), ImportFileError::Missing);
    EXPECT_EQ(CheckImportFile(dir.path()), ImportFileError::Missing);
    EXPECT_EQ(CheckImportFile(QString()), ImportFileError::Missing);
}

} // namespace
