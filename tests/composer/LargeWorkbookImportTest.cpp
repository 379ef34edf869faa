// The Excel import wizard over 60,000-row workbooks written by openpyxl and xlwt at test time: it takes rows
// 1 to 50,000 and no more.
#include "fakes/WorkbookTestSupport.h"

#include "composer/ExcelMessageImport.h"
#include "composer/RecipientList.h"

using namespace workbook_test;

namespace {

void TakesTheFirstFiftyThousandRows(const QString& fileName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    ASSERT_TRUE(WriteLargeWorkbook(path));
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
    EXPECT_EQ(totals.total, ExcelMessageImport::kMaxImportRows);
    EXPECT_EQ(totals.last, ExcelMessageImport::kMaxImportRows);
    EXPECT_EQ(ExcelMessageImport::TotalText(totals.total), QStringLiteral("Total Records : 50000"));
    ASSERT_EQ(list.Count(), 50000);
    EXPECT_EQ(list.Number(0), QStringLiteral("447700000000"));
    EXPECT_EQ(list.Message(0), QStringLiteral("message 0"));
    EXPECT_EQ(list.Number(49999), QStringLiteral("447700049999"));
    EXPECT_EQ(list.Message(49999), QStringLiteral("message 49999"));
    EXPECT_FALSE(list.ContainsNumber(QStringLiteral("447700050000")));
}

TEST(LargeWorkbookImport, FiftyThousandOfSixtyThousandRowsFromOpenpyxl) {
    TakesTheFirstFiftyThousandRows(QStringLiteral("big.xlsx"));
}

TEST(LargeWorkbookImport, FiftyThousandOfSixtyThousandRowsFromXlwt) {
    TakesTheFirstFiftyThousandRows(QStringLiteral("big.xls"));
}

} // namespace
