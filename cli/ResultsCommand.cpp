// bulksms-cli results: a job's status table from the job database, written as a run's status export.

#include "CliCommand.h"
#include "CliData.h"
#include "CliDatabase.h"

#include "sending/SendJob.h"
#include "sending/SendStatusExport.h"
#include "session/PgJobs.h"

namespace {

const QString kName = QStringLiteral("results");

int Run(const CliArgs& a) {
    int exit = kExitUsage;
    const std::optional<qint64> jobId = a.Has("job") ? CliDatabase::JobId(a, kName, &exit) : std::nullopt;
    if (!jobId)
        return a.Has("job") ? exit : CliUsageError(kName, QStringLiteral("give the job with --job ID"));
    const QString path = a.Value("status-export");
    if (path.isEmpty())
        return CliUsageError(kName, QStringLiteral("give the file with --status-export FILE.xls|FILE.xlsx"));
    SpreadsheetExport::Format format = SpreadsheetExport::Format::Xls;
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        format = SpreadsheetExport::Format::Xlsx;
    else if (!path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return CliUsageError(kName, QStringLiteral("--status-export takes a FILE.xls or FILE.xlsx"));
    const auto filter = SpreadsheetExport::FilterFromCode(a.Value("filter", QStringLiteral("ALL")));
    if (!filter)
        return CliUsageError(kName, QStringLiteral("--filter is ALL, SUC or FAL"));
    std::unique_ptr<PgJobStore> store;
    if (const std::optional<int> refused = CliDatabase::Open(a, kName, {}, &store))
        return *refused;
    SendJob job;
    bool withRetry = false;
    const JournalResult loaded = PgJobs::Load(*store, *jobId, &job, &withRetry);
    if (!loaded.ok) {
        CliErr(loaded.message);
        return kExitRefused;
    }
    CliPrompter prompter(a.Has("yes"));
    const SpreadsheetExport::Result written = SendStatusExport::Write(job, withRetry, *filter, path, format, prompter);
    CliErr(written.Ok() ? SendStatusExport::kExported : written.message);
    return written.Ok() ? kExitOk : kExitRefused;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Write a job's status table (every row with its device and result) to a spreadsheet, "
                              "as send's --status-export does."),
    .synopsis = QStringLiteral("--db URL --job ID --status-export FILE.xls|FILE.xlsx [--filter ALL|SUC|FAL] [--yes]"),
    .options = {CliDatabase::kOption,
                {QStringLiteral("job"), QStringLiteral("ID"),
                 QStringLiteral("The job number from `bulksms-cli jobs`.")},
                {QStringLiteral("status-export"), QStringLiteral("FILE.xls|FILE.xlsx"),
                 QStringLiteral("The spreadsheet to write.")},
                {QStringLiteral("filter"), QStringLiteral("ALL|SUC|FAL"),
                 QStringLiteral("The rows: all, successful or failed (default ALL).")},
                {QStringLiteral("yes"), {}, QStringLiteral("Answer the export's questions (overwrite) with yes.")}},
    .details = QStringLiteral("The Use Port column holds the IMEI of the device that took the row.\n") +
               CliDatabase::kExitHelp,
    .failure = QStringLiteral("the job could not be read or the file could not be written"),
    .run = Run,
});
