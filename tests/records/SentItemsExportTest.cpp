#include "records/SentItemsExport.h"

#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using FileBytes::ReadAll;
using FileBytes::Utf16File;

const QString kOk = QStringLiteral("Message sent successfully.");
const QString kToDevice = QStringLiteral("Message sent to device.");
const QString kFail = QStringLiteral("Error : +CMS ERROR: 500");

QList<SentItemRecord> Log() {
    return {
        {QStringLiteral("+911"), QStringLiteral("early"), QStringLiteral("28/02/2024"), kOk},
        {QStringLiteral("+912"), QStringLiteral("one"), QStringLiteral("01/03/2024"), kOk},
        {QStringLiteral("+913"), QStringLiteral("two"), QStringLiteral("01/03/2024"), kFail},
        {QStringLiteral("+914"), QStringLiteral("three"), QStringLiteral("02/03/2024"), kToDevice},
        {QStringLiteral("+915"), QStringLiteral("undated"), QString(), kOk},
        {QStringLiteral("+916"), QStringLiteral("late"), QStringLiteral("3/3/2024"), kFail},
    };
}

QDate D(int d, int m) {
    return QDate(2024, m, d);
}

QStringList Numbers(const QList<SentItemRecord>& records) {
    QStringList out;
    for (const auto& r : records)
        out << r.number;
    return out;
}

TEST(SentItemsExportSelect, DateRangeAndStatusFilter) {
    using F = SpreadsheetExport::Filter;
    struct Case {
        QDate from, to;
        F filter;
        QStringList numbers;
    };
    const Case cases[] = {
        {D(1, 3), D(1, 3), F::All, {"+912", "+913"}}, // the same start and end day: exactly that day
        {D(1, 3), D(3, 3), F::All, {"+912", "+913", "+914", "+916"}},
        {D(28, 2), D(3, 3), F::Successful, {"+911", "+912", "+914"}},
        {D(28, 2), D(3, 3), F::Failed, {"+913", "+916"}},
        {D(2, 3), D(2, 3), F::Failed, {}},
        {D(4, 3), D(9, 3), F::All, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Numbers(SentItemsExport::Select(Log(), c.from, c.to, c.filter)), c.numbers)
            << c.from.toString().toStdString() << " " << static_cast<int>(c.filter);
}

TEST(SentItemsExportText, ByteExact) {
    const QList<SentItemRecord> selected = {
        {QStringLiteral("+912"), QStringLiteral("Hi\r\nthere"), QStringLiteral("01/03/2024"), kOk},
        {QStringLiteral("+913"), QStringLiteral("Ünïcode €"), QStringLiteral("02/03/2024"), kFail},
    };
    const QString r(132, QLatin1Char('='));
    const QString expected = r + "\r\n\r\n\t\t\t\t\t\t[ Bulk SMS - Sent Items ]\r\n\r\n" +
                             "\t\t\t\t\t    [ Duration - 01/03/2024 to 12/03/2024 ]\r\n\r\n" + r + "\r\n" +
                             "S.No.\t: 1\r\nDate\t: 01/03/2024\r\nStatus\t: Message sent successfully.\r\n" +
                             "Number\t: +912\r\nMessage\t: Hi\r\nthere\r\n" + r + "\r\n" +
                             "S.No.\t: 2\r\nDate\t: 02/03/2024\r\nStatus\t: Error : +CMS ERROR: 500\r\n" +
                             "Number\t: +913\r\nMessage\t: Ünïcode €\r\n" + r + "\r\n";
    EXPECT_EQ(SentItemsExport::TextReport(selected, D(1, 3), D(12, 3)), Utf16File(expected));
}

// A record with a delivery state gets a line for it after its status; the others stay as they were.
TEST(SentItemsExportText, DeliveryLineOnlyWhereThereIsAState) {
    SentItemRecord tracked{QStringLiteral("+912"), QStringLiteral("Hi"), QStringLiteral("01/03/2024"), kOk};
    tracked.delivery = QStringLiteral("Delivered");
    const SentItemRecord plain{QStringLiteral("+913"), QStringLiteral("Yo"), QStringLiteral("02/03/2024"), kOk};
    const QString r(132, QLatin1Char('='));
    const QString expected = r + "\r\n\r\n\t\t\t\t\t\t[ Bulk SMS - Sent Items ]\r\n\r\n" +
                             "\t\t\t\t\t    [ Duration - 01/03/2024 to 12/03/2024 ]\r\n\r\n" + r + "\r\n" +
                             "S.No.\t: 1\r\nDate\t: 01/03/2024\r\nStatus\t: Message sent successfully.\r\n" +
                             "Delivery\t: Delivered\r\nNumber\t: +912\r\nMessage\t: Hi\r\n" + r + "\r\n" +
                             "S.No.\t: 2\r\nDate\t: 02/03/2024\r\nStatus\t: Message sent successfully.\r\n" +
                             "Number\t: +913\r\nMessage\t: Yo\r\n" + r + "\r\n";
    EXPECT_EQ(SentItemsExport::TextReport({tracked, plain}, D(1, 3), D(12, 3)), Utf16File(expected));
}

TEST(SentItemsExportHtml, ByteExactWithEscapingLineBreaksAndSpaces) {
    const QList<SentItemRecord> selected = {
        {QStringLiteral("+91<2>"), QStringLiteral("a & b\nsay \"x\" <b>"), QStringLiteral("01/03/2024"),
         QStringLiteral("Error : <bad> & \"odd\"")},
    };
    const QString head =
        "<html><head><title>[ Bulk SMS - Sent Items ]</title><style type=text/css>Body,Td,Th{font-family:Verdana, "
        "Arial, Helvetica, sans-serif; font-size:11px}.style1 {font-size: 16px;font-weight: bold; color: "
        "#000000;}.style2 {font-size: 11px;font-weight: normal; color: #000000;}.style3 {font-size: "
        "16px;font-weight: bold;\tcolor: #ffffff;\t}style4 {font-size: 12px;font-weight: bold;\tcolor: "
        "#000000;\t}.</style></head><body bgcolor =#f1f4fa><table width=1100 border=0 align=center cellpadding=0 "
        "cellspacing=0 bordercolor=#000000><tr><td align = center class= style1>[ Bulk SMS - Sent "
        "Items ]</td></tr></table><br><table width=1100 border=0 align=center cellpadding=0 cellspacing=0 "
        "bordercolor=#000000><tr><td align = center class= style4>[ Duration - 01/03/2024 to 01/03/2024 "
        "]</td></tr></table><br><br><table width=1100 border=1 align=center cellpadding=0 cellspacing=0 "
        "bordercolor=#000000><tr><th height = 30 bgcolor = #647dbe align = Left class =style3>Sent "
        "Items:</th></tr>";
    const QString entry =
        "<tr><td  height = 50 class = style2><table><tr><td width=60>S.No.</td><td>:&nbsp;&nbsp;</td><td>1"
        "</td><tr><td width=60>Date</td><td>:&nbsp;&nbsp;</td><td>01/03/2024"
        "</td><tr><td width=60>Status</td><td>:&nbsp;&nbsp;</td><td>Error : &lt;bad&gt; &amp; &quot;odd&quot;"
        "</td><tr><td width=60>Number</td><td>:&nbsp;&nbsp;</td><td>+91&lt;2&gt;"
        "</td><tr><td width=60>Message</td><td>:&nbsp;&nbsp;</td><td>"
        "a&nbsp;&amp;&nbsp;b<br>say&nbsp;&quot;x&quot;&nbsp;&lt;b&gt;"
        "</td></table></td></tr>";
    EXPECT_EQ(SentItemsExport::HtmlReport(selected, D(1, 3), D(1, 3)), Utf16File(head + entry));
}

class SentItemsExportFile : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
};

TEST_F(SentItemsExportFile, WritesReportAndNumbersSelectedEntries) {
    const QString path = Path("out.txt");
    const auto result = SentItemsExport::Export(Log(), D(1, 3), D(3, 3), SpreadsheetExport::Filter::Failed, path,
                                                SentItemsExport::Format::Text, m_prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Sent Items have been exported successfully.");
    EXPECT_EQ(result.rowsWritten, 2);
    const QByteArray bytes = ReadAll(path);
    EXPECT_EQ(bytes, SentItemsExport::TextReport(
                         SentItemsExport::Select(Log(), D(1, 3), D(3, 3), SpreadsheetExport::Filter::Failed), D(1, 3),
                         D(3, 3)));
    EXPECT_TRUE(bytes.contains(Utf16File("S.No.\t: 2\r\n").mid(2)));
    EXPECT_FALSE(bytes.contains(Utf16File("S.No.\t: 3").mid(2)));
    EXPECT_TRUE(m_prompter.Asked().empty());
}

TEST_F(SentItemsExportFile, NoQualifyingEntryLeavesAnExistingFileAlone) {
    const QString path = Path("keep.html");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier export");
    }
    const QList<SentItemRecord> allGood = {{"+1", "m", "01/03/2024", kOk}};
    const auto result = SentItemsExport::Export(allGood, D(1, 3), D(1, 3), SpreadsheetExport::Filter::Failed, path,
                                                SentItemsExport::Format::Html, m_prompter);
    EXPECT_EQ(result.outcome, SentItemsExport::Result::Outcome::NoRecords);
    EXPECT_EQ(result.message, "There is no record for selected duration.");
    EXPECT_EQ(ReadAll(path), QByteArray("earlier export"));

    const QString fresh = Path("none.txt");
    EXPECT_FALSE(SentItemsExport::Export(allGood, D(2, 3), D(9, 3), SpreadsheetExport::Filter::All, fresh,
                                         SentItemsExport::Format::Text, m_prompter)
                     .Ok());
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST_F(SentItemsExportFile, EmptyLogAndUnwritableTarget) {
    const auto empty = SentItemsExport::Export({}, D(1, 3), D(1, 3), SpreadsheetExport::Filter::All, Path("e.txt"),
                                               SentItemsExport::Format::Text, m_prompter);
    EXPECT_EQ(empty.outcome, SentItemsExport::Result::Outcome::EmptyList);
    EXPECT_EQ(empty.message, "Sent items list is empty.");

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const QString path = Path("ro.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const auto result = SentItemsExport::Export(Log(), D(1, 3), D(1, 3), SpreadsheetExport::Filter::All, path,
                                                SentItemsExport::Format::Text, m_prompter);
    EXPECT_EQ(result.outcome, SentItemsExport::Result::Outcome::FileNotWritable);
    EXPECT_TRUE(result.message.startsWith("Error in file accessing.")) << result.message.toStdString();
    EXPECT_EQ(ReadAll(path), QByteArray("old"));
}

TEST_F(SentItemsExportFile, SpreadsheetFormatsGetTheSelectedRows) {
    const QString path = Path("out.xlsx");
    const auto result = SentItemsExport::Export(Log(), D(1, 3), D(2, 3), SpreadsheetExport::Filter::Successful, path,
                                                SentItemsExport::Format::Xlsx, m_prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.rowsWritten, 2);
    EXPECT_TRUE(ReadAll(path).startsWith("PK"));
}

TEST(SentItemsExportNames, ExtensionsAndDates) {
    EXPECT_EQ(SentItemsExport::PathWithExtension("a", SentItemsExport::Format::Html), "a.html");
    EXPECT_EQ(SentItemsExport::PathWithExtension("a.TXT", SentItemsExport::Format::Text), "a.TXT");
    EXPECT_EQ(SentItemsExport::PathWithExtension("a.xls", SentItemsExport::Format::Xlsx), "a.xls.xlsx");
    EXPECT_EQ(SentItemsExport::ParseDate("5/3/2024"), QDate(2024, 3, 5));
    EXPECT_EQ(SentItemsExport::ParseDate("31/02/2024"), std::nullopt);
    EXPECT_EQ(SentItemsExport::ParseDate(""), std::nullopt);
}

} // namespace
