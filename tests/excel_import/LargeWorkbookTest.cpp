// 60,000-row workbooks written by openpyxl and xlwt at test time (too large to commit): every row is there,
// in order, with the 12-digit numbers as plain digits.
#include "fakes/WorkbookTestSupport.h"

#include "composer/ExcelMessageImport.h"
#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"

#include <QElapsedTimer>

using namespace workbook_test;

namespace {

constexpr int kRows = 60000;

const char* kOpenpyxl = R"(
import sys, openpyxl
wb = openpyxl.Workbook(write_only=True)
ws = wb.create_sheet("Big")
for i in range(60000):
    ws.append([447700000000 + i, "message %d" % i])
wb.save(sys.argv[1])
)";

const char* kXlwt = R"(
import sys, xlwt
wb = xlwt.Workbook()
ws = wb.add_sheet("Big")
for i in range(60000):
    ws.write(i, 0, 447700000000 + i)
    ws.write(i, 1, "message %d" % i)
wb.save(sys.argv[1])
)";

void ReadsEveryRow(const char* script, const QString& fileName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    ASSERT_TRUE(RunPython(QString::fromUtf8(script), {path}));
    QElapsedTimer timer;
    timer.start();
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbook(path));
    ASSERT_TRUE(reader.SelectSheet(1));
    SheetData data;
    ASSERT_TRUE(reader.GetUsedRange(&data));
    ASSERT_EQ(data.Rows(), kRows);
    ASSERT_EQ(data.Columns(), 2);
    QString number;
    QString message;
    for (int row = 1; row <= kRows; ++row) {
        ASSERT_TRUE(reader.CellText(row, 1, &number));
        ASSERT_TRUE(reader.CellText(row, 2, &message));
        ASSERT_EQ(number, QString::number(447700000000LL + row - 1)) << row;
        ASSERT_EQ(message, QStringLiteral("message %1").arg(row - 1)) << row;
    }
    reader.CloseWorkbook();
    EXPECT_LT(timer.elapsed(), 5000); // the benchmark holds the real figure; this only catches a collapse

    // The import wizard takes rows 1 to 50,000 of them.
    struct Totals : ExcelMessageImport::Observer {
        void Started(int t) override { total = t; }
        void RowRead(int row, int, const QString&, const QString&, bool) override { last = row; }
        int total = 0;
        int last = 0;
    } totals;
    RecipientList list;
    const ExcelMessageImport::Outcome outcome =
        ExcelMessageImport::Import(path, 1, 1, 2, list, NumberCheckOptions{}, &totals);
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(totals.total, 50000);
    EXPECT_EQ(totals.last, 50000);
    EXPECT_EQ(ExcelMessageImport::TotalText(totals.total), QStringLiteral("Total Records : 50000"));
    ASSERT_EQ(list.Count(), 50000);
    EXPECT_EQ(list.Number(49999), QStringLiteral("447700049999"));
    EXPECT_EQ(list.Message(49999), QStringLiteral("message 49999"));
}

TEST(LargeWorkbook, SixtyThousandRowsFromOpenpyxl) {
    ReadsEveryRow(kOpenpyxl, QStringLiteral("big.xlsx"));
}

TEST(LargeWorkbook, SixtyThousandRowsFromXlwt) {
    ReadsEveryRow(kXlwt, QStringLiteral("big.xls"));
}

} // namespace
