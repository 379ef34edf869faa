// bulksms-cli test-device: the connection test of one device. The device is read as the scan reads it, the
// applicable cases are listed and all of them run (the custom-SMSC cases only with --smsc), and one line
// per case is printed: its label, a tab, its description, a tab, its status. Every case sends a real SMS.

#include "CliCommand.h"
#include "CliData.h"
#include "CliJson.h"
#include "CliPort.h"

#include "devices/ConnectionTestController.h"
#include "devices/DetailsText.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceQueries.h"
#include "devices/MainDeviceState.h"
#include "devices/PortEnumerator.h"
#include "devices/PortScanner.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sms/SubmissionResult.h"

namespace {

const QString kName = QStringLiteral("test-device");
constexpr int kReplyTimeoutMs = 5000;

// The device's record as a scan row would carry it; the capabilities line says whether it passed the SMS
// support test.
bool ReadDevice(const QString& portName, DeviceRecord* record) {
    try {
        CSMSSerialPort discovery;
        discovery.Open(kReplyTimeoutMs, portName);
        DeviceQueries queries(discovery);
        const bool sms = queries.CheckSmsSupport();
        const QString imei = queries.GetImei();
        discovery.ResetModem();
        const QString queried = queries.GetDeviceDetails();
        const PortInfo port = PortEnumerator().Describe(portName);
        QString details = PortScanner::RowDetails(portName, port.DisplayName(), queried);
        if (!sms)
            details.replace(DetailsText::kSmsCapabilitiesYesLine, DetailsText::kSmsCapabilities + QLatin1Char(' ') +
                                                                      DetailsText::kNotDetected + QLatin1Char('\n'));
        *record = PortScanner::MakeRow(port, details, imei);
        return true;
    } catch (const CSMSException& e) {
        CliErr(DeviceMessages::DeviceErrorMessage(GetErrorText(e)));
        CliPort::PrintAdvice(portName, e);
        return false;
    }
}

int Run(const CliArgs& args) {
    const QString port = args.Value(QStringLiteral("port"));
    const QString to = args.Value(QStringLiteral("to"));
    if (port.isEmpty() || to.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port and --to are required"));
    const bool withCustom = args.Has(QStringLiteral("smsc"));
    const QString smsc = args.Value(QStringLiteral("smsc"));

    DeviceRecord record;
    if (!ReadDevice(port, &record))
        return kExitRefused;
    MainDeviceState devices;
    devices.ReplaceSelection({record});
    CliPrompter prompter;
    ConnectionTestController test(devices, prompter, 0);
    const std::vector<ConnectionTestCase> listed = test.Cases();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (listed[i].UsesCustomSmsc() && !withCustom)
            test.SetTicked(static_cast<int>(i), false); // no number to test with
    }
    if (!test.RunTest(to, smsc, nullptr))
        return kExitRefused;

    bool anySent = false;
    QJsonArray json;
    for (const ConnectionTestCase& c : test.Cases()) {
        const bool sent = c.status == SubmissionResult::kSentSuccessfully;
        if (args.Json())
            json.append(QJsonObject{{QStringLiteral("label"), c.label},
                                    {QStringLiteral("description"), c.description},
                                    {QStringLiteral("status"), c.status},
                                    {QStringLiteral("sent"), sent}});
        else
            CliOut(c.label + QLatin1Char('\t') + c.description + QLatin1Char('\t') + c.status);
        anySent = anySent || sent;
    }
    if (args.Json())
        CliJson::Print(json);
    if (args.Has(QStringLiteral("log")) && test.OnSaveLog(args.Value(QStringLiteral("log"))).isEmpty())
        return kExitRefused;
    return anySent ? kExitOk : kExitRefused;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Run the connection test of the device on a port: every applicable combination of SMS "
                              "mode and SMS centre sends a real SMS; one line per case."),
    .synopsis = QStringLiteral("--port PATH --to NUMBER [--smsc NUMBER] [--log FILE] [--json]"),
    .options = {CliOptions::kPort,
                {QStringLiteral("to"), QStringLiteral("NUMBER"), QStringLiteral("Where the test messages go.")},
                {QStringLiteral("smsc"), QStringLiteral("NUMBER"),
                 QStringLiteral("A custom service centre: the cases that use one run only with it.")},
                {QStringLiteral("log"), QStringLiteral("FILE"), QStringLiteral("Save the test's log to FILE.")},
                CliOptions::kJson},
    .details = QStringLiteral("Text: label, description and status of each case, tab-separated.\n"
                              "JSON: [{\"label\": TEXT, \"description\": TEXT, \"status\": TEXT, \"sent\": BOOL}, "
                              "...]"),
    .failure = QStringLiteral("no case sent its message, or the device or the log failed"),
    .run = Run,
});
