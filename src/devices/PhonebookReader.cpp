#include "devices/PhonebookReader.h"

#include "devices/DeviceQueries.h"
#include "devices/DeviceReply.h"
#include "devices/PortAdvice.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

std::vector<PhonebookEntry> PhonebookReader::ReadPhonebook(bool namesInUcs2) {
    m_readCommands = 0;
    DeviceQueries queries(m_port);
    if (!queries.CheckAt())
        CSMSException::ThrowNoResponse();
    if (!queries.Ask("AT+CPBS=?"))
        throw CSMSException(0, kNotSupported);
    const QStringList storages =
        DeviceReply::PhonebookStorages(DeviceReply::ResultLineValue(m_port.LastReply(), QStringLiteral("+CPBS")));

    std::vector<PhonebookEntry> entries;
    for (const QString& storage : storages) {
        if (storage != QLatin1String("ME") && storage != QLatin1String("SM"))
            continue; // fixed dialling, dialled calls, own numbers ... are no contacts
        if (!queries.Ask("AT+CPBS=\"" + storage.toLatin1() + '"'))
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
            if (const auto entry = DeviceReply::PhonebookEntryFrom(value, namesInUcs2)) {
                entries.push_back(*entry);
                ++found;
            }
        }
    }
    return entries;
}

PhonebookRead PhonebookReader::ReadFromPort(const QString& port, const ModemTiming& timing, bool namesInUcs2) {
    constexpr int kReplyTimeoutMs = 5000;
    PhonebookRead read;
    try {
        CSMSSerialPort discovery;
        discovery.SetTiming(timing);
        discovery.Open(kReplyTimeoutMs, port);
        read.entries = PhonebookReader(discovery).ReadPhonebook(namesInUcs2);
    } catch (const CSMSException& e) {
        read.failed = true;
        read.error = GetErrorText(e);
        read.advice = PortAdvice::ForException(port, e);
    }
    return read;
}
