// bulksms-cli phonebook: the contacts stored in a device (phone memory and SIM), one per line: the number,
// a tab, the number type, a tab, the name (read in UCS2 where the device offers it, so in any alphabet).

#include "CliCommand.h"

#include "devices/DeviceMessages.h"
#include "devices/PhonebookReader.h"
#include "modem/ModemTiming.h"

namespace {

const QString kName = QStringLiteral("phonebook");

int Run(const QStringList& args) {
    QString error;
    // --ucs2-names is still taken from older scripts and changes nothing: the reader asks the device itself.
    const auto parsed = CliArgs::Parse(args, {QStringLiteral("port")}, {QStringLiteral("ucs2-names")}, &error);
    if (!parsed)
        return CliUsageError(kName, error);
    if (!parsed->Positional().isEmpty())
        return CliUsageError(kName, QStringLiteral("unexpected argument %1").arg(parsed->Positional().first()));
    const QString port = parsed->Value(QStringLiteral("port"));
    if (port.isEmpty())
        return CliUsageError(kName, QStringLiteral("--port is required"));

    const PhonebookRead read = PhonebookReader::ReadFromPort(port, ModemTiming::Fast());
    if (read.failed) {
        CliErr(DeviceMessages::DeviceErrorMessage(read.error));
        return kExitRefused;
    }
    const std::vector<PhonebookEntry>& entries = read.entries;
    if (entries.empty()) {
        CliOut(DeviceMessages::kNoContacts);
        return kExitOk;
    }
    for (const PhonebookEntry& e : entries)
        CliOut(e.number + QLatin1Char('\t') + QString::number(e.type) + QLatin1Char('\t') + e.name);
    return kExitOk;
}

} // namespace

BULKSMS_CLI_COMMAND(kName, QStringLiteral("--port PATH"), Run);
