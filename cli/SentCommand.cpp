#include "CliCommand.h"
#include "CliData.h"

#include "app/FileError.h"
#include "records/SentItemsStore.h"

namespace {

QString Shown(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

int RunSent(const QStringList& argv) {
    QString error;
    const auto args = CliArgs::Parse(argv, {CliData::kOption}, {}, &error);
    if (!args)
        return CliUsageError(QStringLiteral("sent"), error);
    if (!args->Positional().isEmpty())
        return CliUsageError(QStringLiteral("sent"),
                             QStringLiteral("unexpected argument %1").arg(args->Positional().first()));
    const DataPaths paths = CliData::Start(*args);
    QList<SentItemRecord> records;
    if (!CliData::LoadSentItems(paths, &records))
        return kExitRefused;
    for (const SentItemRecord& r : records) {
        CliOut(Shown(r.number) + QLatin1Char('\t') + Shown(r.message) + QLatin1Char('\t') + Shown(r.date) +
               QLatin1Char('\t') + Shown(r.status) + (r.delivery.isEmpty() ? QString() : QLatin1Char('\t') + r.delivery));
    }
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(QStringLiteral("sent"), CliData::kUsage, RunSent);
