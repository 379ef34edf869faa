// bulksms-cli datadir: the data folder the commands use.
#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"

namespace {

int Run(const CliArgs& args) {
    const DataPaths paths = CliData::Start(args);
    if (args.Json())
        CliJson::Print(QJsonObject{{QStringLiteral("data_folder"), paths.DataFolder()}});
    else
        CliOut(paths.DataFolder());
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = QStringLiteral("datadir"),
    .summary = QStringLiteral("Print the data folder (BULK_SMS_DATA) the commands read and write, creating its "
                              "files when they are missing."),
    .synopsis = CliData::kUsage + QStringLiteral(" [--json]"),
    .options = {CliData::kOption, CliOptions::kJson},
    .details = QStringLiteral("JSON: {\"data_folder\": PATH}"),
    .run = Run,
});
