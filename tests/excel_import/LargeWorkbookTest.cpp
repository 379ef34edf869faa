// 60,000-row workbooks written by openpyxl and xlwt at test time (too large to commit): every row is there,
// in order, with the 12-digit numbers as plain digits. (bench_workbooks measures how long reading takes.)
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/WorkbookReader.h"

using namespace workbook_test;

namespace {

void ReadsEveryRow(const QString& fileName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    ASSERT_TRUE(WriteLargeWorkbook(path));
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbook(path));
    ASSERT_TRUE(reader.SelectSheet(1));
    SheetData data;
    ASSERT_TRUE(reader.GetUsedRange(&data));
    ASSERT_EQ(data.Rows(), kLargeRows);
    ASSERT_EQ(data.Columns(), 2);
    QString number;
    QString message;
    for (int row = 1; row <= kLargeRows; ++row) {
        ASSERT_TRUE(reader.CellText(row, 1, &number));
        ASSERT_TRUE(reader.CellText(row, 2, &message));
        ASSERT_EQ(number, QString::number(447700000000LL + row - 1)) << row;
        ASSERT_EQ(message, QStringLiteral("message %1").arg(row - 1)) << row;
    }
    reader.CloseWorkbook();
}

TEST(LargeWorkbook, SixtyThousandRowsFromOpenpyxl) {
    ReadsEveryRow(QStringLiteral("big.xlsx"));
}

TEST(LargeWorkbook, SixtyThousandRowsFromXlwt) {
    ReadsEveryRow(QStringLiteral("big.xls"));
}

} // namespace
