#include "CliCommand.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace {
void PrintUsage() {
    std::vector<CliCommand> commands = CliRegistry::All();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    CliErr(QStringLiteral("usage: bulksms-cli COMMAND [OPTIONS]\ncommands:"));
    for (const CliCommand& c : commands)
        CliErr(QStringLiteral("  %1 %2").arg(c.name, c.usage));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VRIX Bulk SMS"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("help")) {
        PrintUsage();
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : CliRegistry::All()) {
        if (c.name == name) {
            const int rc = c.run(args);
            std::fflush(stdout);
            return rc;
        }
    }
    CliErr(QStringLiteral("bulksms-cli: unknown command %1").arg(name));
    PrintUsage();
    return kExitUsage;
}
