// bulksms-cli scan: the port scan of the device selection window over the system's ports and the ones given,
// one block per device row: its columns as "Column : value" lines, its details text, a blank line. Ports left
// out are reported on stderr with the reason (a busy port names the process holding it) and what to do.

#include "CliCommand.h"
#include "CliJson.h"
#include "CliPort.h"

#include "devices/DeviceMessages.h"
#include "devices/DeviceTexts.h"
#include "devices/PortEnumerator.h"
#include "devices/PortScanner.h"

namespace {

const QString kName = QStringLiteral("scan");
constexpr int kScanTimeoutMs = 1000; // the discovery port's reply time-out during a scan

QJsonObject DeviceJson(const DeviceRecord& row) {
    return QJsonObject{{QStringLiteral("port"), row.portName},
                       {QStringLiteral("display_name"), row.displayName},
                       {QStringLiteral("imei"), row.imei},
                       {QStringLiteral("sms_mode"), DeviceTexts::SmsModeText(row.smsMode)},
                       {QStringLiteral("supported_sms_modes"), row.supportedSmsModes},
                       {QStringLiteral("smsc"), row.smscNumber},
                       {QStringLiteral("default_smsc"), row.defaultSmsc},
                       {QStringLiteral("use_custom_smsc"), row.useCustomSmsc},
                       {QStringLiteral("details"), CliJson::DetailsObject(row.details)}};
}

QJsonObject PortJson(const ScanPortReport& report) {
    return QJsonObject{{QStringLiteral("port"), report.port.name},
                       {QStringLiteral("display_name"), report.displayName},
                       {QStringLiteral("listed"), report.listed},
                       {QStringLiteral("status"), report.status},
                       {QStringLiteral("advice"), report.advice}};
}

int Run(const CliArgs& args) {
    const PortEnumerator enumerator;
    std::vector<PortInfo> added;
    for (const QString& path : args.Values(QStringLiteral("port")))
        added.push_back(enumerator.Describe(path));
    const std::vector<PortInfo> enumerated =
        args.Has(QStringLiteral("no-enumerate")) ? std::vector<PortInfo>{} : enumerator.Enumerate();
    const std::vector<PortInfo> ports = PortEnumerator::Merge(enumerated, added);

    PortScanner::Options options;
    options.replyTimeoutMs = kScanTimeoutMs;
    const PortScanner::Result result = PortScanner(options).ScanPorts(ports, nullptr);
    const int status = result.rows.empty() ? kExitRefused : kExitOk;

    if (args.Json()) {
        QJsonArray devices;
        for (const DeviceRecord& row : result.rows)
            devices.append(DeviceJson(row));
        QJsonArray reports;
        for (const ScanPortReport& report : result.ports)
            reports.append(PortJson(report));
        CliJson::Print(QJsonObject{{QStringLiteral("devices"), devices}, {QStringLiteral("ports"), reports}});
        return status;
    }
    for (const ScanPortReport& report : result.ports) {
        if (report.listed)
            continue;
        CliErr(report.port.name + QStringLiteral(": ") + report.status);
        CliPort::PrintAdvice(report.advice);
    }
    if (result.rows.empty()) {
        CliOut(QString(DeviceMessages::kNoDeviceFound).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        return status;
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
    return status;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Look for GSM devices on the system's serial ports and the ones given, as the "
                              "connection wizard does, and print each device found."),
    .synopsis = QStringLiteral("[--port PATH]... [--no-enumerate] [--json]"),
    .options = {{QStringLiteral("port"), QStringLiteral("PATH"),
                 QStringLiteral("Also examine this port (a device node, a /dev/serial/by-id/ link, a simulated "
                                "modem); repeatable.")},
                {QStringLiteral("no-enumerate"), {}, QStringLiteral("Examine only the ports given with --port.")},
                CliOptions::kJson},
    .details = QStringLiteral("Ports left out are reported on stderr with the reason and, for a port that may not "
                              "be opened or that ModemManager holds, what to do.\n"
                              "JSON: {\"devices\": [{\"port\", \"display_name\", \"imei\", \"sms_mode\", "
                              "\"supported_sms_modes\", \"smsc\", \"default_smsc\", \"use_custom_smsc\", \"details\": "
                              "{...}}, ...], \"ports\": [{\"port\", \"display_name\", \"listed\", \"status\", "
                              "\"advice\"}, ...]}"),
    .failure = QStringLiteral("no device was found"),
    .run = Run,
});
