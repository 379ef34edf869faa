#include "devices/PhonebookReader.h"

#include "devices/DeviceQueries.h"
#include "devices/DeviceReply.h"
#include "devices/PortAdvice.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "modem/ModemReply.h"
#include "sms/PduEncoder.h"

namespace {
const QString kUcs2 = QStringLiteral("UCS2");

bool IsContactStorage(const QString& storage) {
    // Fixed dialling, dialled calls, own numbers ... are no contacts.
    return storage == QLatin1String("ME") || storage == QLatin1String("SM");
}
} // namespace

std::vector<PhonebookEntry> PhonebookReader::ReadPhonebook() {
    m_readCommands = 0;
    DeviceQueries queries(m_port);
    if (!queries.CheckAt())
        CSMSException::ThrowNoResponse();
    if (!queries.Ask("AT+CPBS=?"))
        throw CSMSException(0, kNotSupported);
    QStringList storages =
        DeviceReply::PhonebookStorages(DeviceReply::ResultLineValue(m_port.LastReply(), QStringLiteral("+CPBS")));
    storages.removeIf([](const QString& storage) { return !IsContactStorage(storage); });
    if (storages.isEmpty())
        return {};

    bool ucs2 = false;
    const QString restore = SelectUcs2(&ucs2);
    const auto restoreCharset = [&] {
        // As with storage names, a device may want the set's own name in UCS2.
        if (!restore.isEmpty() && !queries.Ask("AT+CSCS=\"" + restore.toLatin1() + '"'))
            queries.Ask("AT+CSCS=\"" + Pdu::ToUcs2Hex(restore).toLatin1() + '"');
    };
    std::vector<PhonebookEntry> entries;
    try {
        entries = ReadStorages(storages, ucs2);
    } catch (const CSMSException&) {
        try {
            restoreCharset();
        } catch (const CSMSException&) {
            // The port failed already; its first error is the one reported.
        }
        throw;
    }
    restoreCharset();
    return entries;
}

QString PhonebookReader::SelectUcs2(bool* ucs2) {
    DeviceQueries queries(m_port);
    *ucs2 = false;
    if (!queries.Ask("AT+CSCS?"))
        return {};
    const QString current = ModemReply::ParseCharsets(m_port.LastReply()).value(0);
    if (current.compare(kUcs2, Qt::CaseInsensitive) == 0) {
        *ucs2 = true;
        return {};
    }
    // Without the set in force there is nothing to restore, so the device is left as it is.
    if (current.isEmpty() || !queries.Ask("AT+CSCS=?") ||
        !ModemReply::ParseCharsets(m_port.LastReply()).contains(kUcs2, Qt::CaseInsensitive))
        return {};
    if (!queries.Ask("AT+CSCS=\"UCS2\""))
        return {};
    *ucs2 = true;
    return current;
}

std::vector<PhonebookEntry> PhonebookReader::ReadStorages(const QStringList& storages, bool ucs2) {
    DeviceQueries queries(m_port);
    std::vector<PhonebookEntry> entries;
    for (const QString& storage : storages) {
        // Some devices take the storage name in the character set in force like any other string: in UCS2,
        // "SM" is then written "0053004D".
        if (!queries.Ask("AT+CPBS=\"" + storage.toLatin1() + '"') &&
            (!ucs2 || !queries.Ask("AT+CPBS=\"" + Pdu::ToUcs2Hex(storage).toLatin1() + '"')))
            continue;
        if (!queries.Ask("AT+CPBS?"))
            continue;
        int used = 0;
        int total = 0;
        if (!DeviceReply::PhonebookCounts(DeviceReply::ResultLineValue(m_port.LastReply(), QStringLiteral("+CPBS")),
                                          &used, &total))
            continue;
        // Entries may sit anywhere among the slots: read index by index until the used ones are found.
        int found = 0;
        for (int index = 1; index <= total && found < used; ++index) {
            ++m_readCommands;
            if (!queries.Ask("AT+CPBR=" + QByteArray::number(index)))
                continue;
            const QString value = DeviceReply::ResultLineValue(m_port.LastReply(), QStringLiteral("+CPBR"));
            if (const auto entry = DeviceReply::PhonebookEntryFrom(value, ucs2)) {
                entries.push_back(*entry);
                ++found;
            }
        }
    }
    return entries;
}

PhonebookRead PhonebookReader::ReadFromPort(const QString& port, const ModemTiming& timing) {
    constexpr int kReplyTimeoutMs = 5000;
    PhonebookRead read;
    try {
        CSMSSerialPort discovery;
        discovery.SetTiming(timing);
        discovery.Open(kReplyTimeoutMs, port);
        read.entries = PhonebookReader(discovery).ReadPhonebook();
    } catch (const CSMSException& e) {
        read.failed = true;
        read.error = GetErrorText(e);
        read.advice = PortAdvice::ForException(port, e);
    }
    return read;
}
