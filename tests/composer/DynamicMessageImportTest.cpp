// Personalised messages from a template with column placeholders.
#include "fakes/WorkbookTestSupport.h"

#include "composer/ContactTextImport.h"
#include "composer/DynamicMessageImport.h"
#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"

using namespace workbook_test;

namespace {

QString Write(const QTemporaryDir& dir, const QByteArray& sheetData) {
    XlsxParts parts;
    parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {{"xl/worksheets/sheet1.xml", SheetXml(sheetData)}};
    const QString path = dir.filePath(QStringLiteral("dynamic.xlsx"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(parts.Build());
    return path;
}

QByteArray Cell(const char* ref, const char* text) {
    return QByteArray("<c r=\"") + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

SheetData Range(WorkbookReader& reader, const QString& path) {
    SheetData range;
    EXPECT_TRUE(reader.OpenWorkbook(path));
    EXPECT_TRUE(reader.SelectSheet(1));
    EXPECT_TRUE(reader.GetUsedRange(&range));
    return range;
}

TEST(DynamicMessageImport, PlaceholdersAreFilledFromTheRow) {
    QTemporaryDir dir;
    // Three columns: number, name, a cell that itself holds a placeholder.
    const QString path =
        Write(dir, "<row r=\"1\">" + Cell("A1", "447700900001") + Cell("B1", "Ann") + Cell("C1", "&lt;COL-2&gt;!") +
                       "</row><row r=\"2\">" + Cell("A2", "447700900002") + "</row>");
    WorkbookReader reader;
    const SheetData range = Range(reader, path);
    const std::pair<const char*, const char*> cases[] = {
        {"Dear <COL-2>, your number is <COL-1>.", "Dear Ann, your number is 447700900001."},
        {"<COL-2> <COL-5>end", "Ann end"},  // column 5 lies beyond the used range: empty text
        {"<COL-12>|<COL-13>", "|<COL-13>"}, // 9 + 3 = 12 is filled, 13 stays as typed
        {"<col-2> <COL-2>", "<col-2> Ann"}, // lower case is not a placeholder
        {"No placeholder at all", "No placeholder at all"},
        {"<COL-3>", "Ann!"}, // the cell's "<COL-2>" is filled by a later step
        {"<COL-2><COL-2>", "AnnAnn"},
    };
    for (const auto& [templ, expected] : cases) {
        QString message;
        EXPECT_TRUE(DynamicMessageImport::Compose(QString::fromUtf8(templ), range, 1, &message));
        EXPECT_EQ(message, QString::fromUtf8(expected)) << templ;
    }
    QString message;
    EXPECT_TRUE(DynamicMessageImport::Compose(QStringLiteral("Hi <COL-2>."), range, 2, &message));
    EXPECT_EQ(message, QStringLiteral("Hi ."));
}

TEST(DynamicMessageImport, EachNumberColumnGivesItsRecipientsColumnFirst) {
    QTemporaryDir dir;
    QByteArray rows;
    for (int r = 1; r <= 101; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>4477001" + n.rightJustified(5, '0') + "</v></c>" +
                Cell(QByteArray("B" + n).constData(), "x") + "<c r=\"C" + n + "\"><v>4477002" +
                n.rightJustified(5, '0') + "</v></c></row>";
    }
    const QString path = Write(dir, rows);
    struct Observer : ExcelMessageImport::Observer {
        void Started(int t) override { total = t; }
        void RowRead(int counter, int t, const QString&, const QString&, bool) override {
            last = counter;
            EXPECT_EQ(t, total);
        }
        int total = 0;
        int last = 0;
    } observer;
    RecipientList list;
    const QString templ = QStringLiteral("Code <COL-2>") + QString(1700, QLatin1Char('.'));
    const ExcelMessageImport::Outcome outcome =
        DynamicMessageImport::Import(path, 1, {1, 3}, templ, list, NumberCheckOptions{}, &observer);
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(observer.total, 202);
    EXPECT_EQ(observer.last, 202);
    ASSERT_EQ(list.Count(), 202);
    EXPECT_EQ(list.Number(0), QStringLiteral("447700100001"));
    EXPECT_EQ(list.Number(100), QStringLiteral("447700100101"));
    EXPECT_EQ(list.Number(101), QStringLiteral("447700200001"));
    EXPECT_EQ(list.Message(0).size(), 1600);
    EXPECT_TRUE(list.Message(0).startsWith(QStringLiteral("Code x.")));
}

TEST(DynamicMessageImport, NothingTakenAndErrorValues) {
    RecipientList list;
    // "Headers" of the xlwt workbook: column 3 holds "Name" only, no number.
    ExcelMessageImport::Outcome outcome = DynamicMessageImport::Import(
        DataFile(QStringLiteral("xlwt_sheets.xls")), 5, {3}, QStringLiteral("Hi"), list, NumberCheckOptions{});
    EXPECT_EQ(outcome.refusal, ContactTextImport::kNothingAdded);
    EXPECT_EQ(list.Count(), 0);
    // A template using column 3 of the formulas sheet meets #DIV/0! in row 2: row 1 stays, then the read stops.
    outcome = DynamicMessageImport::Import(DataFile(QStringLiteral("libreoffice_formulas.xlsx")), 1, {2},
                                           QStringLiteral("<COL-3>"), list, NumberCheckOptions{});
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Number(0), QStringLiteral("6"));
    EXPECT_EQ(list.Message(0), QStringLiteral("12"));
}

} // namespace
