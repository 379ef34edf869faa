// bulksms-cli scan: the port scan of the device selection window over the system's ports and the ones given,
// one block per device row: its columns as "Column : value" lines, its details text, a blank line. Ports left
// out are reported on stderr with the reason (a busy port names the process holding it).

#include "CliCommand.h"

#include "devices/DeviceMessages.h"
#include "devices/DeviceTexts.h"
#include "devices/PortEnumerator.h"
#include "devices/PortScanner.h"

namespace {

const QString kName = QStringLiteral("scan");
constexpr int kScanTimeoutMs = 1000; // the discovery port's reply time-out during a scan

int Run(const QStringList& args) {
    QString error;
    const auto parsed = CliArgs::Parse(args, {QStringLiteral("port")}, {QStringLiteral("no-enumerate")}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    if (!parsed->Positional().isEmpty())
        return CliUsageError(kName, QStringLiteral("unexpected argument %1").arg(parsed->Positional().first()));

    const PortEnumerator enumerator;
    std::vector<PortInfo> added;
    for (const QString& path : parsed->Values(QStringLiteral("port")))
        added.push_back(enumerator.Describe(path));
    const std::vector<PortInfo> enumerated =
        parsed->Has(QStringLiteral("no-enumerate")) ? std::vector<PortInfo>{} : enumerator.Enumerate();
    const std::vector<PortInfo> ports = PortEnumerator::Merge(enumerated, added);

    PortScanner::Options options;
    options.replyTimeoutMs = kScanTimeoutMs;
    const PortScanner::Result result = PortScanner(options).ScanPorts(ports, nullptr);

    for (const ScanPortReport& report : result.ports) {
        if (!report.listed)
            CliErr(report.port.name + QStringLiteral(": ") + report.status);
    }
    if (result.rows.empty()) {
        CliOut(QString(DeviceMessages::kNoDeviceFound).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        return kExitRefused;
    }
    const std::vector<DeviceTexts::Column>& columns = DeviceTexts::ScanColumns();
    for (const DeviceRecord& row : result.rows) {
        const std::vector<QString> values = DeviceTexts::ScanRowValues(row);
        for (std::size_t i = 0; i < columns.size(); ++i)
            CliOut(columns[i].caption + QStringLiteral(" : ") + values[i]);
        QString details = row.details;
        if (details.endsWith(QLatin1Char('\n')))
            details.chop(1);
        CliOut(details);
        CliOut(QString());
    }
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(kName, QStringLiteral("[--port PATH]... [--no-enumerate]"), Run);
