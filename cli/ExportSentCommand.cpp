#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

#include "app/FileError.h"
#include "records/SentItemsExport.h"
#include "records/SentItemsStore.h"

namespace {

const QString kName = QStringLiteral("export-sent");

// "DD/MM/YYYY" (one-digit day and month accepted).
std::optional<QDate> DateOption(const CliArgs& args, const QString& name, const QDate& fallback, QString* error) {
    if (!args.Has(name))
        return fallback;
    const std::optional<QDate> date = SentItemsExport::ParseDate(args.Value(name));
    if (!date)
        *error = QStringLiteral("--%1 needs a date DD/MM/YYYY, not \"%2\"").arg(name, args.Value(name));
    return date;
}

int RunExportSent(const CliArgs& args) {
    QString error;
    const std::optional<SentItemsExport::Format> format =
        SentItemsExport::FormatFromName(args.Value(QStringLiteral("format")));
    if (!format)
        return CliUsageError(kName, QStringLiteral("--format must be txt, html, xls or xlsx"));
    if (args.Value(QStringLiteral("out")).isEmpty())
        return CliUsageError(kName, QStringLiteral("--out FILE is required"));
    const std::optional<SpreadsheetExport::Filter> filter =
        SpreadsheetExport::FilterFromCode(args.Value(QStringLiteral("filter"), QStringLiteral("ALL")));
    if (!filter)
        return CliUsageError(kName, QStringLiteral("--filter must be ALL, SUC or FAL"));

    const DataPaths paths = CliData::Start(args);
    QList<SentItemRecord> records;
    if (!CliData::LoadSentItems(paths, &records))
        return kExitRefused;
    if (records.isEmpty()) {
        CliErr(SentItemsExport::kEmptyList);
        return kExitRefused;
    }

    // Without --from / --to the range runs from the first entry's date to the last one's, as the export window
    // presets it; an entry without a readable date stands for today.
    const QDate today = QDate::currentDate();
    const QDate first = SentItemsExport::ParseDate(records.first().date).value_or(today);
    const QDate last = SentItemsExport::ParseDate(records.last().date).value_or(today);
    const std::optional<QDate> from = DateOption(args, QStringLiteral("from"), first, &error);
    if (!from)
        return CliUsageError(kName, error);
    const std::optional<QDate> to = DateOption(args, QStringLiteral("to"), last, &error);
    if (!to)
        return CliUsageError(kName, error);
    if (*to < *from) {
        CliErr(SentItemsExport::kEndBeforeStart);
        return kExitRefused;
    }

    const QString out = SentItemsExport::PathWithExtension(args.Value(QStringLiteral("out")), *format);
    CliPrompter prompter(args.Has(QStringLiteral("yes")));
    const SentItemsExport::Result result =
        SentItemsExport::Export(records, *from, *to, *filter, out, *format, prompter);
    if (!result.Ok()) {
        CliErr(result.message);
        return kExitRefused;
    }
    if (args.Json()) {
        CliJson::Print(QJsonObject{{QStringLiteral("message"), result.message},
                                   {QStringLiteral("rows"), result.rowsWritten},
                                   {QStringLiteral("file"), out}});
        return kExitOk;
    }
    CliOut(result.message);
    CliOut(QStringLiteral("%1 item(s) written to %2").arg(result.rowsWritten).arg(out));
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Export the sent items of a date range to a text, HTML or spreadsheet file, as the "
                              "sent items window does."),
    .synopsis = QStringLiteral("--format txt|html|xls|xlsx --out FILE [--from DD/MM/YYYY] [--to DD/MM/YYYY] "
                               "[--filter ALL|SUC|FAL] ") +
                CliData::kUsage + QStringLiteral(" [--yes] [--json]"),
    .options = {{QStringLiteral("format"), QStringLiteral("txt|html|xls|xlsx"), QStringLiteral("The file's format.")},
                {QStringLiteral("out"), QStringLiteral("FILE"),
                 QStringLiteral("The file to write; the format's extension is added when missing.")},
                {QStringLiteral("from"), QStringLiteral("DD/MM/YYYY"),
                 QStringLiteral("The first day (default: the first entry's).")},
                {QStringLiteral("to"), QStringLiteral("DD/MM/YYYY"),
                 QStringLiteral("The last day (default: the last entry's).")},
                {QStringLiteral("filter"), QStringLiteral("ALL|SUC|FAL"),
                 QStringLiteral("All entries, the successful ones or the failed ones (default ALL).")},
                CliData::kOption,
                {QStringLiteral("yes"), {}, QStringLiteral("Replace an existing file without asking.")},
                CliOptions::kJson},
    .details = QStringLiteral("JSON: {\"message\": TEXT, \"rows\": N, \"file\": PATH}"),
    .failure = QStringLiteral("nothing to export, or the file could not be written"),
    .run = RunExportSent,
});
