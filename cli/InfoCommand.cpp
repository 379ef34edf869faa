// bulksms-cli info: the details text of one device, read as the device windows read it.

#include "CliCommand.h"
#include "CliJson.h"
#include "CliPort.h"

#include "devices/DeviceQueries.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

namespace {

const QString kName = QStringLiteral("info");
constexpr int kReplyTimeoutMs = 5000; // the discovery port's time-out outside the scan

int Run(const CliArgs& args) {
    const QString port = args.Value(QStringLiteral("port"));
    if (port.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port is required"));

    try {
        CSMSSerialPort discovery;
        discovery.Open(kReplyTimeoutMs, port);
        QString details = DeviceQueries(discovery).GetDeviceDetails();
        details.chop(1); // its last line feed; CliOut ends the text
        if (args.Json())
            CliJson::Print(QJsonObject{{QStringLiteral("port"), port},
                                       {QStringLiteral("details"), CliJson::DetailsObject(details)}});
        else
            CliOut(details);
        return kExitOk;
    } catch (const CSMSException& e) {
        // The window shows the error where the details would be; in JSON mode stdout stays JSON only.
        if (args.Json())
            CliErr(GetErrorText(e));
        else
            CliOut(GetErrorText(e));
        CliPort::PrintAdvice(port, e);
        return kExitRefused;
    }
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Print the details of the device on a port: maker, model, revision, SMS modes, "
                              "battery, SMS centre, operator and signal."),
    .synopsis = QStringLiteral("--port PATH [--json]"),
    .options = {CliOptions::kPort, CliOptions::kJson},
    .details = QStringLiteral("JSON: {\"port\": PATH, \"details\": {\"Manufacturer\": TEXT, \"Model\": TEXT, ...}}"),
    .failure = QStringLiteral("the port could not be used"),
    .run = Run,
});
