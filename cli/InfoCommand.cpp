// bulksms-cli info: the details text of one device, read as the device windows read it.

#include "CliCommand.h"

#include "devices/DeviceQueries.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

namespace {

const QString kName = QStringLiteral("info");
constexpr int kReplyTimeoutMs = 5000; // the discovery port's time-out outside the scan

int Run(const QStringList& args) {
    QString error;
    const auto parsed = CliArgs::Parse(args, {QStringLiteral("port")}, {}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    if (!parsed->Positional().isEmpty())
        return CliUsageError(kName, QStringLiteral("unexpected argument %1").arg(parsed->Positional().first()));
    const QString port = parsed->Value(QStringLiteral("port"));
    if (port.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port is required"));

    try {
        CSMSSerialPort discovery;
        discovery.Open(kReplyTimeoutMs, port);
        QString details = DeviceQueries(discovery).GetDeviceDetails();
        details.chop(1); // its last line feed; CliOut ends the text
        CliOut(details);
        return kExitOk;
    } catch (const CSMSException& e) {
        CliOut(GetErrorText(e));
        return kExitRefused;
    }
}

} // namespace

BULKSMS_CLI_COMMAND(kName, QStringLiteral("--port PATH"), Run);
