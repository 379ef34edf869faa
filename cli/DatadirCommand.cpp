#include "CliCommand.h"
#include "CliData.h"

namespace {

int RunDatadir(const QStringList& argv) {
    QString error;
    const auto args = CliArgs::Parse(argv, {CliData::kOption}, {}, &error);
    if (!args)
        return CliUsageError(QStringLiteral("datadir"), error);
    if (!args->Positional().isEmpty())
        return CliUsageError(QStringLiteral("datadir"),
                             QStringLiteral("unexpected argument %1").arg(args->Positional().first()));
    const DataPaths paths = CliData::Start(*args);
    CliOut(paths.DataFolder());
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(QStringLiteral("datadir"), CliData::kUsage, RunDatadir);
