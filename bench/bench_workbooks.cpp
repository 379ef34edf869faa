// Workbook reading and spreadsheet export figures.
//
//   bench_workbooks [rows-to-read] [rows-to-write]   (defaults 50000 and 70000)
//
// Reads a workbook of rows-to-read rows by 4 columns as .xlsx (numbers and shared strings, as spreadsheet
// programs write them) and as .xls (text cells), every cell through CellText; writes rows-to-write sending
// status rows to .xlsx and to .xls (split into sheets of 65,535 rows); and writes a tenth and five times as
// many rows to show that memory stays flat in the row count. Each step runs in a child process of its own so
// that its peak resident set size is its own. Prints wall seconds, CPU seconds (what the wall time would be on
// an idle machine) and peak resident memory.
#include "BenchMeasure.h"
#include "app/Prompter.h"
#include "excel_import/WorkbookReader.h"
#include "records/SpreadsheetExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

struct Yes : Prompter {
    Answer Ask(const QString&, const QString&, Icon, Buttons) override { return Answer::Yes; }
};

QString Number(long i) {
    return QStringLiteral("4477%1").arg(i, 8, 10, QLatin1Char('0'));
}

// The file to read, written before the measured step.
int MakeXlsx(const QString& path, long rows) {
    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Contacts");
    worksheet_write_string(sheet, 0, 0, "Mobile", nullptr);
    worksheet_write_string(sheet, 0, 1, "Name", nullptr);
    worksheet_write_string(sheet, 0, 2, "City", nullptr);
    worksheet_write_string(sheet, 0, 3, "Amount", nullptr);
    for (long i = 1; i < rows; ++i) {
        const auto r = static_cast<lxw_row_t>(i);
        worksheet_write_number(sheet, r, 0, 447700000000.0 + static_cast<double>(i), nullptr);
        worksheet_write_string(sheet, r, 1, QStringLiteral("Customer %1").arg(i).toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, r, 2, i % 3 ? "London" : "Leeds", nullptr);
        worksheet_write_number(sheet, r, 3, static_cast<double>(i % 1000) / 4.0, nullptr);
    }
    return workbook_close(workbook) == LXW_NO_ERROR ? 0 : 1;
}

int MakeXls(const QString& path, long rows) {
    Yes yes;
    QList<QStringList> table;
    for (long i = 1; i < rows; ++i)
        table << QStringList{Number(i), QStringLiteral("Customer %1").arg(i),
                             i % 3 ? QStringLiteral("London") : QStringLiteral("Leeds"),
                             QString::number(static_cast<double>(i % 1000) / 4.0)};
    SpreadsheetExportTable columns{
        {QStringLiteral("Mobile"), QStringLiteral("Name"), QStringLiteral("City"), QStringLiteral("Amount")}};
    return SpreadsheetExport(yes)
                   .Export(columns, table, SpreadsheetExport::Filter::All, path, SpreadsheetExport::Format::Xls)
                   .Ok()
               ? 0
               : 1;
}

int Read(const QString& path) {
    WorkbookReader reader;
    if (!reader.OpenWorkbook(path) || !reader.SelectSheet(1))
        return 1;
    SheetData data;
    if (!reader.GetUsedRange(&data))
        return 1;
    QString text;
    qint64 characters = 0;
    for (int r = 1; r <= data.Rows(); ++r) {
        for (int c = 1; c <= data.Columns(); ++c) {
            if (!reader.CellText(r, c, &text))
                return 1;
            characters += text.size();
        }
    }
    reader.CloseWorkbook();
    std::printf("  (%d rows x %d columns, %lld characters)", data.Rows(), data.Columns(),
                static_cast<long long>(characters));
    return 0;
}

int Write(const QString& path, long rows, SpreadsheetExport::Format format) {
    Yes yes;
    long next = 0;
    // Rows are made as the writer asks for them, so the figure is the writer's memory, not the table's.
    const SpreadsheetExport::RowSource source = [&next, rows](QStringList* row) {
        if (next >= rows)
            return false;
        *row = {Number(next), QStringLiteral("Dear customer %1, your appointment is confirmed for tomorrow.").arg(next),
                QStringLiteral("Sent through /dev/ttyUSB0 - Modem"),
                next % 9 ? QStringLiteral("Message sent successfully.") : QStringLiteral("Error : +CMS ERROR: 500")};
        ++next;
        return true;
    };
    const SpreadsheetExport::Result result = SpreadsheetExport(yes).Export(
        SpreadsheetExportTable::SendingStatus(false), source, SpreadsheetExport::Filter::All, path, format);
    std::printf("  (%lld rows, %d sheets, %lld bytes)", static_cast<long long>(result.rowsWritten), result.sheets,
                static_cast<long long>(QFile(path).size()));
    return result.Ok() ? 0 : 1;
}

// One measured step in this process: prints its figures.
int Step(const QStringList& args) {
    const QString step = args.value(0);
    const QString path = args.value(1);
    const long rows = args.value(2).toLong();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    int rc = 1;
    if (step == QLatin1String("make-xlsx"))
        rc = MakeXlsx(path, rows);
    else if (step == QLatin1String("make-xls"))
        rc = MakeXls(path, rows);
    else if (step == QLatin1String("read"))
        rc = Read(path);
    else if (step == QLatin1String("write-xlsx"))
        rc = Write(path, rows, SpreadsheetExport::Format::Xlsx);
    else if (step == QLatin1String("write-xls"))
        rc = Write(path, rows, SpreadsheetExport::Format::Xls);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %.3f s wall, %.3f s CPU, peak %.1f MB resident\n", wall, CpuSeconds() - cpuStart,
                static_cast<double>(PeakRssKiB()) / 1024.0);
    return rc;
}

bool Run(const QString& title, const QStringList& args) {
    std::printf("%s\n", qPrintable(title));
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--step")} + args);
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        std::printf("  FAILED\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--step"))
        return Step(args.mid(1));
    const QString readRows = args.value(0, QStringLiteral("50000"));
    const long writeRows = args.value(1, QStringLiteral("70000")).toLong();

    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("read.xlsx"));
    const QString xls = dir.filePath(QStringLiteral("read.xls"));
    bool ok = Run(QStringLiteral("make %1-row .xlsx (not measured)").arg(readRows), {"make-xlsx", xlsx, readRows}) &&
              Run(QStringLiteral("make %1-row .xls (not measured)").arg(readRows), {"make-xls", xls, readRows});
    ok = ok && Run(QStringLiteral("read .xlsx, every cell"), {"read", xlsx}) &&
         Run(QStringLiteral("read .xls, every cell"), {"read", xls});
    for (const long rows : {writeRows / 10, writeRows, writeRows * 5}) {
        const QString n = QString::number(rows);
        ok = ok &&
             Run(QStringLiteral("write %1 status rows to .xlsx").arg(rows),
                 {"write-xlsx", dir.filePath(QStringLiteral("out%1.xlsx").arg(rows)), n}) &&
             Run(QStringLiteral("write %1 status rows to .xls").arg(rows),
                 {"write-xls", dir.filePath(QStringLiteral("out%1.xls").arg(rows)), n});
    }
    return ok ? 0 : 1;
}
