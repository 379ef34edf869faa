// The status export of a run, read back with the workbook reader: the row filters take only what their
// names say, whatever the Status text of the other rows.

#include "excel_import/WorkbookReader.h"
#include "fakes/ScriptedPrompter.h"
#include "sending/SendJob.h"
#include "sending/SendStatusExport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

const SendJob::Worker kWorker{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0 - Modem")};

// One row of every kind of outcome: Number is the Status it ends with.
void FillWithEveryOutcome(SendJob& job) {
    const QStringList results = {QStringLiteral("Message sent successfully."), QStringLiteral("Message sent to device."),
                                 QStringLiteral("Error : +CMS ERROR: 38")};
    for (const QString& r : results)
        job.AppendRow(r, QStringLiteral("m"));
    for (int row = 0; row < results.size(); ++row) {
        EXPECT_TRUE(job.Take(row, kWorker));
        job.RecordResult(row, kWorker, results.at(row), {false, 0});
    }
    job.AppendRow(QStringLiteral("Skipped."), QStringLiteral("m"));
    job.AppendRow(QStringLiteral("Excluded."), QStringLiteral("m"));
    job.AppendRow(QStringLiteral("Stopped"), QStringLiteral("m"));
    job.SetText(3, SendJob::kUsePort, kWorker.port);
    EXPECT_TRUE(job.RecordSkip(3, kWorker, SendJob::Skip::Skipped));
    job.SetText(4, SendJob::kUsePort, kWorker.port);
    EXPECT_TRUE(job.RecordSkip(4, kWorker, SendJob::Skip::Excluded));
    job.MarkWaitingStopped();
    for (int row = 0; row < job.RowCount(); ++row)
        EXPECT_EQ(job.Text(row, SendJob::kStatus), job.Text(row, SendJob::kNumber));
}

// The Number column of every data row of the exported sheet, and the heading row.
QStringList ExportedNumbers(const QString& path, QStringList* heading) {
    WorkbookReader reader;
    SheetData data;
    EXPECT_TRUE(reader.OpenSheet(path, 1, &data).Ok());
    QStringList numbers;
    for (int row = 1; row <= data.Rows(); ++row) {
        QString number;
        EXPECT_TRUE(reader.CellText(row, 1, &number).Ok());
        if (row == 1) {
            for (int column = 1; column <= data.Columns(); ++column) {
                QString caption;
                EXPECT_TRUE(reader.CellText(1, column, &caption).Ok());
                *heading << caption;
            }
        } else {
            numbers << number;
        }
    }
    return numbers;
}

} // namespace

TEST(SendStatusExport, FiltersTakeOnlyWhatTheyName) {
    SendJob job;
    FillWithEveryOutcome(job);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    struct Case {
        SpreadsheetExport::Filter filter;
        QStringList numbers;
    };
    const QStringList all = {QStringLiteral("Message sent successfully."), QStringLiteral("Message sent to device."),
                             QStringLiteral("Error : +CMS ERROR: 38"),     QStringLiteral("Skipped."),
                             QStringLiteral("Excluded."),                  QStringLiteral("Stopped")};
    for (const Case& c : {Case{SpreadsheetExport::Filter::All, all},
                          Case{SpreadsheetExport::Filter::Successful, all.mid(0, 2)},
                          Case{SpreadsheetExport::Filter::Failed, all.mid(2, 1)}}) {
        for (const auto format : {SpreadsheetExport::Format::Xls, SpreadsheetExport::Format::Xlsx}) {
            const QString path =
                dir.filePath(QStringLiteral("status%1.%2")
                                 .arg(static_cast<int>(c.filter))
                                 .arg(format == SpreadsheetExport::Format::Xls ? QStringLiteral("xls")
                                                                               : QStringLiteral("xlsx")));
            const auto result = SendStatusExport::Write(job, false, c.filter, path, format, prompter);
            ASSERT_TRUE(result.Ok()) << result.message.toStdString();
            QStringList heading;
            EXPECT_EQ(ExportedNumbers(path, &heading), c.numbers) << path.toStdString();
            EXPECT_EQ(heading, (QStringList{QStringLiteral("Number"), QStringLiteral("Message"),
                                            QStringLiteral("Current Status"), QStringLiteral("Status")}));
        }
    }
    EXPECT_TRUE(prompter.Asked().empty());
}

TEST(SendStatusExport, RetryColumnOnlyWhenTheRunHadRetries) {
    SendJob job;
    FillWithEveryOutcome(job);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString path = dir.filePath(QStringLiteral("retry.xlsx"));
    ASSERT_TRUE(SendStatusExport::Write(job, true, SpreadsheetExport::Filter::All, path,
                                        SpreadsheetExport::Format::Xlsx, prompter)
                    .Ok());
    QStringList heading;
    EXPECT_EQ(ExportedNumbers(path, &heading).size(), 6);
    EXPECT_EQ(heading.value(4), QStringLiteral("Retry"));
}

// A run that asked for delivery reports exports their states in a last column; one that did not keeps the
// columns it always had.
TEST(SendStatusExport, DeliveryColumnOnlyWhenReportsWereRequested) {
    SendJob job;
    FillWithEveryOutcome(job);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString plain = dir.filePath(QStringLiteral("plain.xlsx"));
    ASSERT_TRUE(
        SendStatusExport::Write(job, false, SpreadsheetExport::Filter::All, plain, SpreadsheetExport::Format::Xlsx, prompter)
            .Ok());
    QStringList heading;
    ExportedNumbers(plain, &heading);
    EXPECT_EQ(heading, (QStringList{QStringLiteral("Number"), QStringLiteral("Message"), QStringLiteral("Current Status"),
                                    QStringLiteral("Status")}));

    job.SetText(0, SendJob::kDelivery, QStringLiteral("Delivered"));
    const QString tracked = dir.filePath(QStringLiteral("tracked.xlsx"));
    ASSERT_TRUE(SendStatusExport::Write(job, true, SpreadsheetExport::Filter::All, tracked,
                                        SpreadsheetExport::Format::Xlsx, prompter)
                    .Ok());
    heading.clear();
    ExportedNumbers(tracked, &heading);
    EXPECT_EQ(heading.value(4), QStringLiteral("Retry"));
    EXPECT_EQ(heading.value(5), QStringLiteral("Delivery"));
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(reader.OpenSheet(tracked, 1, &data).Ok());
    QString state;
    ASSERT_TRUE(reader.CellText(2, 6, &state).Ok());
    EXPECT_EQ(state, QStringLiteral("Delivered"));
}
