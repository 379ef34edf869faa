// The main window's list export, read back with the program's own workbook reader.
#include "composer/RecipientListExport.h"

#include "composer/RecipientList.h"
#include "excel_import/WorkbookReader.h"
#include "fakes/ScriptedPrompter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The first sheet's rows, each as its cell texts.
QList<QStringList> FirstSheet(const QString& path) {
    QList<QStringList> rows;
    WorkbookReader reader;
    SheetData range;
    if (reader.OpenWorkbook(path) && reader.SelectSheet(1) && reader.GetUsedRange(&range)) {
        for (int row = 1; row <= range.Rows(); ++row) {
            QStringList cells;
            for (int column = 1; column <= range.Columns(); ++column) {
                QString text;
                (void)reader.CellText(row, column, &text);
                cells << text;
            }
            rows << cells;
        }
    }
    return rows;
}

TEST(RecipientListExport, EveryRowInListOrderAcrossCopyChunks) {
    RecipientList list;
    // More rows than one copy chunk, so rows from several chunks must come out in order and none twice.
    constexpr int kRows = 25001;
    for (int i = kRows - 1; i >= 0; --i)
        list.InsertRow(0, QStringLiteral("0%1").arg(i), i % 2 ? QStringLiteral("odd") : QString(), QString());
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString path = dir.filePath(QStringLiteral("list.xlsx"));
    const ExportResult result = RecipientListExport::Write(list, path, SpreadsheetExport::Format::Xlsx, prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Phone Number and Message List has been exported successfully.");
    EXPECT_EQ(result.rowsWritten, kRows);
    const QList<QStringList> rows = FirstSheet(path);
    ASSERT_EQ(rows.size(), kRows + 1);
    EXPECT_EQ(rows[0], (QStringList{"Number", "Message"}));
    EXPECT_EQ(rows[1], (QStringList{"00", ""}));
    EXPECT_EQ(rows[10001], (QStringList{"010000", ""}));
    EXPECT_EQ(rows[10002], (QStringList{"010001", "odd"}));
    EXPECT_EQ(rows[kRows], (QStringList{"025000", ""}));
}

TEST(RecipientListExport, EmptyListAndUnwritableTargetWriteNothing) {
    RecipientList list;
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString path = dir.filePath(QStringLiteral("list.xls"));
    ExportResult result = RecipientListExport::Write(list, path, SpreadsheetExport::Format::Xls, prompter);
    EXPECT_EQ(result.outcome, ExportResult::Outcome::EmptyList);
    EXPECT_EQ(result.message, "Phone numbers-Messages list is empty.");
    EXPECT_FALSE(QFile::exists(path));

    list.InsertRow(0, QStringLiteral("+15550001"), QStringLiteral("Hi"), QString());
    result = RecipientListExport::Write(list, dir.path(), SpreadsheetExport::Format::Xls, prompter);
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(result.message.isEmpty());
}

} // namespace
