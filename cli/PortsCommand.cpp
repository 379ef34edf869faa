// bulksms-cli ports: the serial ports of the system, one per line: the port name, a tab, its display name.

#include "CliCommand.h"

#include "devices/PortEnumerator.h"

namespace {

const QString kName = QStringLiteral("ports");

int Run(const QStringList& args) {
    if (!args.isEmpty())
        return CliUsageError(kName, QStringLiteral("unexpected argument %1").arg(args.first()));
    for (const PortInfo& port : PortEnumerator().Enumerate())
        CliOut(port.name + QLatin1Char('\t') + port.DisplayName());
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(kName, QString(), Run);
