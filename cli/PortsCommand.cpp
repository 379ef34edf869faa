// bulksms-cli ports: the serial ports of the system, one per line: the port name, a tab, its display name.

#include "CliCommand.h"
#include "CliJson.h"

#include "devices/PortEnumerator.h"

namespace {

int Run(const CliArgs& args) {
    QJsonArray json;
    for (const PortInfo& port : PortEnumerator().Enumerate()) {
        if (args.Json())
            json.append(QJsonObject{{QStringLiteral("name"), port.name},
                                    {QStringLiteral("display_name"), port.DisplayName()},
                                    {QStringLiteral("description"), port.description},
                                    {QStringLiteral("built_in"), !port.MayOpen()}});
        else
            CliOut(port.name + QLatin1Char('\t') + port.DisplayName());
    }
    if (args.Json())
        CliJson::Print(json);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = QStringLiteral("ports"),
    .summary = QStringLiteral("List the serial ports of the system: the port, a tab, what the system says it is."),
    .synopsis = QStringLiteral("[--json]"),
    .options = {CliOptions::kJson},
    .details = QStringLiteral("Built-in serial ports are listed but never opened by the other commands.\n"
                              "JSON: [{\"name\": PATH, \"display_name\": TEXT, \"description\": TEXT, "
                              "\"built_in\": BOOL}, ...]"),
    .run = Run,
});
