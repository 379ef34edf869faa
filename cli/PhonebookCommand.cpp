// bulksms-cli phonebook: the contacts stored in a device (phone memory and SIM), one per line: the number,
// a tab, the number type, a tab, the name (read in UCS2 where the device offers it, so in any alphabet).

#include "CliCommand.h"
#include "CliJson.h"
#include "CliPort.h"

#include "devices/DeviceMessages.h"
#include "devices/PhonebookReader.h"
#include "modem/ModemTiming.h"

namespace {

const QString kName = QStringLiteral("phonebook");

int Run(const CliArgs& args) {
    const QString port = args.Value(QStringLiteral("port"));
    if (port.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port is required"));

    const PhonebookRead read = PhonebookReader::ReadFromPort(port, ModemTiming::Fast());
    if (read.failed) {
        CliErr(DeviceMessages::DeviceErrorMessage(read.error));
        CliPort::PrintAdvice(read.advice);
        return kExitRefused;
    }
    const std::vector<PhonebookEntry>& entries = read.entries;
    if (args.Json()) {
        QJsonArray json;
        for (const PhonebookEntry& e : entries)
            json.append(QJsonObject{{QStringLiteral("number"), e.number},
                                    {QStringLiteral("type"), e.type},
                                    {QStringLiteral("name"), e.name}});
        CliJson::Print(json);
        return kExitOk;
    }
    if (entries.empty()) {
        CliOut(DeviceMessages::kNoContacts);
        return kExitOk;
    }
    for (const PhonebookEntry& e : entries)
        CliOut(e.number + QLatin1Char('\t') + QString::number(e.type) + QLatin1Char('\t') + e.name);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(CliCommand{
    .name = kName,
    .summary = QStringLiteral("Print the contacts stored in a device's phone memory and SIM: number, number type "
                              "and name, tab-separated."),
    .synopsis = QStringLiteral("--port PATH [--ucs2-names] [--json]"),
    .options = {CliOptions::kPort,
                {QStringLiteral("ucs2-names"),
                 {},
                 QStringLiteral("Taken from older scripts and changes nothing: names are read in UCS-2 "
                                "whenever the device offers it.")},
                CliOptions::kJson},
    .details = QStringLiteral("JSON: [{\"number\": TEXT, \"type\": N, \"name\": TEXT}, ...] (empty without contacts)"),
    .failure = QStringLiteral("the device could not be read"),
    .run = Run,
});
