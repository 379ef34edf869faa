// The Excel import wizard's number and message import over generated and committed workbooks.
#include "fakes/WorkbookTestSupport.h"

#include "composer/ContactTextImport.h"
#include "composer/ExcelMessageImport.h"
#include "composer/RecipientList.h"

using namespace workbook_test;

namespace {

struct RecordingObserver : ExcelMessageImport::Observer {
    void Started(int t) override { total = t; }
    void RowRead(int row, int t, const QString& number, const QString& preview, bool taken) override {
        rows << QStringLiteral("%1/%2 %3 %4 %5")
                    .arg(row)
                    .arg(t)
                    .arg(number, taken ? "taken" : "dropped")
                    .arg(preview.size());
    }
    int total = -1;
    QStringList rows;
};

QString WriteSheet(const QTemporaryDir& dir, const QByteArray& sheetData) {
    XlsxParts parts;
    parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {{"xl/worksheets/sheet1.xml", SheetXml(sheetData)}};
    const QString path = dir.filePath(QStringLiteral("messages.xlsx"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(parts.Build());
    return path;
}

QByteArray InlineCell(const char* ref, const QString& text) {
    return QByteArray("<c r=\"") + ref + "\" t=\"inlineStr\"><is><t>" + text.toUtf8() + "</t></is></c>";
}

TEST(ExcelMessageImport, RowsThroughTheNumberCheckWithTheirMessagesAtTheTop) {
    QTemporaryDir dir;
    const QString longMessage = QString(1599, QLatin1Char('a')) + QStringLiteral("\U0001F600") + QStringLiteral("tail");
    const QString path =
        WriteSheet(dir, "<row r=\"1\">" + InlineCell("A1", "Mobile") + InlineCell("B1", "Message") +
                            "</row><row r=\"2\">" + InlineCell("A2", "+44 7700 900001") + InlineCell("B2", "Hi Ann") +
                            "</row><row r=\"3\"><c r=\"A3\">"
                            "<v>447700900002</v></c>" +
                            InlineCell("B3", longMessage) + "</row><row r=\"4\">" +
                            InlineCell("A4", "+44 7700 900001") + InlineCell("B4", "again") + "</row>");
    RecipientList list;
    list.InsertRow(0, QStringLiteral("999"), QStringLiteral("kept"), QString());
    NumberCheckOptions skip;
    skip.skipDuplicates = true;
    RecordingObserver observer;
    const ExcelMessageImport::Outcome outcome = ExcelMessageImport::Import(path, 1, 1, 2, list, skip, &observer);
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(observer.total, 4);
    EXPECT_EQ(observer.rows, QStringList({"1/4 Mobile dropped 7", "2/4 +447700900001 taken 6",
                                          "3/4 447700900002 taken 163", "4/4 +44 7700 900001 dropped 5"}));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Number(0), QStringLiteral("+447700900001"));
    EXPECT_EQ(list.Message(0), QStringLiteral("Hi Ann"));
    EXPECT_EQ(list.Number(1), QStringLiteral("447700900002"));
    // 1,600 characters would end inside the emoji's surrogate pair: the half character is left out.
    EXPECT_EQ(list.Message(1), QString(1599, QLatin1Char('a')));
    EXPECT_EQ(list.Number(2), QStringLiteral("999"));
}

TEST(ExcelMessageImport, TextsOfTheProgressWindow) {
    EXPECT_EQ(ExcelMessageImport::TotalText(50000), QStringLiteral("Total Records : 50000"));
    EXPECT_EQ(ExcelMessageImport::CurrentText(7, 50000), QStringLiteral("Currently Reading : 7 / 50000 Records"));
    EXPECT_EQ(ExcelMessageImport::Preview(QString(160, QLatin1Char('x'))), QString(160, QLatin1Char('x')));
    EXPECT_EQ(ExcelMessageImport::Preview(QString(2000, QLatin1Char('x'))),
              QString(160, QLatin1Char('x')) + QStringLiteral("..."));
    EXPECT_EQ(ExcelMessageImport::Stored(QString(2000, QLatin1Char('x'))).size(), 1600);
}

TEST(ExcelMessageImport, AHeaderRowAloneAddsNothingAndFailuresKeepTheRowsBefore) {
    RecipientList list;
    ExcelMessageImport::Outcome outcome =
        ExcelMessageImport::Import(DataFile(QStringLiteral("xlwt_sheets.xls")), 5, 1, 3, list, NumberCheckOptions{});
    // Sheet "Headers": "Mobile" fails the check, "447700900001" is taken.
    EXPECT_EQ(outcome.added, 1);
    EXPECT_EQ(list.Message(0), QString());
    outcome =
        ExcelMessageImport::Import(DataFile(QStringLiteral("xlwt_sheets.xls")), 1, 1, 2, list, NumberCheckOptions{});
    EXPECT_EQ(outcome.added, 0);
    EXPECT_EQ(outcome.refusal, ContactTextImport::kNothingAdded);

    // Formulas: row 1 (number 6, message 12) is taken; row 2's message is #DIV/0!, which ends the import.
    RecipientList other;
    outcome = ExcelMessageImport::Import(DataFile(QStringLiteral("libreoffice_formulas.xls")), 1, 2, 3, other,
                                         NumberCheckOptions{});
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    EXPECT_EQ(outcome.refusal, QString());
    ASSERT_EQ(other.Count(), 1);
    EXPECT_EQ(other.Number(0), QStringLiteral("6"));
    EXPECT_EQ(other.Message(0), QStringLiteral("12"));
}

} // namespace
