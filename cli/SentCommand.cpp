// bulksms-cli sent: the sent items log of the data folder.
#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

#include "app/FileError.h"
#include "modem/ModemTiming.h"
#include "records/SentItemsStore.h"
#include "session/Session.h"

namespace {

QString Shown(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

int RunSent(const CliArgs& args) {
    const DataPaths paths = CliData::Start(args);
    QList<SentItemRecord> records;
    if (args.Has(QStringLiteral("number"))) {
        // One person's entries, however the number was written, compared as the send compares it.
        CliPrompter prompter;
        Session session(prompter, Session::Options{paths, ModemTiming::Fast()});
        if (!session.ChooseCountry(args.Has(QStringLiteral("country"))
                                       ? std::optional<QString>(args.Value(QStringLiteral("country")))
                                       : std::nullopt))
            return CliUsageError(QStringLiteral("sent"), QStringLiteral("--country takes a country code such as GB"));
        FileError error;
        if (!session.FindSentItems(args.Value(QStringLiteral("number")), &records, &error)) {
            CliErr(FileErrorText(error));
            return kExitRefused;
        }
    } else if (!CliData::LoadSentItems(paths, &records)) {
        return kExitRefused;
    }
    if (args.Json()) {
        QJsonArray json;
        for (const SentItemRecord& r : records) {
            QJsonObject entry{{QStringLiteral("number"), r.number},
                              {QStringLiteral("message"), r.message},
                              {QStringLiteral("date"), r.date},
                              {QStringLiteral("status"), r.status}};
            if (!r.delivery.isEmpty())
                entry.insert(QStringLiteral("delivery"), r.delivery);
            json.append(entry);
        }
        CliJson::Print(json);
        return kExitOk;
    }
    for (const SentItemRecord& r : records) {
        CliOut(Shown(r.number) + QLatin1Char('\t') + Shown(r.message) + QLatin1Char('\t') + Shown(r.date) +
               QLatin1Char('\t') + Shown(r.status) + (r.delivery.isEmpty() ? QString() : QLatin1Char('\t') + r.delivery));
    }
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = QStringLiteral("sent"),
    .summary = QStringLiteral("Print the sent items log, one entry a line: number, message, date and status, "
                              "tab-separated, line feeds shown as \\n; then the delivery state where reports were requested."),
    .synopsis = CliData::kUsage + QStringLiteral(" [--number NUMBER [--country CC]] [--json]"),
    .options = {CliData::kOption,
                {QStringLiteral("number"), QStringLiteral("NUMBER"),
                 QStringLiteral("Only the entries of this number, in any way it was written (see --country).")},
                CliOptions::kCountry,
                CliOptions::kJson},
    .details = QStringLiteral("JSON: [{\"number\": TEXT, \"message\": TEXT, \"date\": TEXT, \"status\": TEXT[, "
                              "\"delivery\": TEXT]}, ...], the texts as stored."),
    .failure = QStringLiteral("the log could not be read"),
    .run = RunSent,
});
