#include "sending/DeliveryPort.h"

#include "common/AnsiCodec.h"
#include "modem/CIrdaPort.h"
#include "modem/CSMSSerialPort.h"

namespace {
constexpr int kMaxWaitingBlocks = 16; // what one call reads at most (of 4096 bytes), so a chatty device ends it
}

QString SerialDeliveryPort::PortName() const { return m_port.PortName(); }
bool SerialDeliveryPort::IsOpen() const { return m_port.IsOpen(); }
bool SerialDeliveryPort::Command(const QByteArray& line) { return m_port.Command(line); }
QString SerialDeliveryPort::LastReply() const { return m_port.LastReply(); }
void SerialDeliveryPort::SetReceiveTap(QByteArray* tap) { m_port.SetReceiveTap(tap); }

QByteArray SerialDeliveryPort::ReadWaiting() {
    QByteArray bytes;
    for (int block = 0; block < kMaxWaitingBlocks && m_port.WaitForData(0); ++block) {
        const QByteArray read = m_port.Read();
        if (read.isEmpty())
            break;
        bytes += read;
    }
    return bytes;
}

QString IrdaDeliveryPort::PortName() const { return m_port.PortName(); }
bool IrdaDeliveryPort::IsOpen() const { return m_port.IsOpen(); }
void IrdaDeliveryPort::SetReceiveTap(QByteArray* tap) { m_port.SetReceiveTap(tap); }

bool IrdaDeliveryPort::Command(const QByteArray& line) {
    QByteArray reply;
    const ModemReply::FinalResult result = m_port.CommandReply(QString::fromLatin1(line).trimmed(), &reply);
    m_lastReply = AnsiCodec::Decode(reply);
    return result == ModemReply::FinalResult::Ok;
}

QByteArray IrdaDeliveryPort::ReadWaiting() {
    QByteArray bytes;
    char byte = 0;
    while (bytes.size() < kMaxWaitingBlocks * 4096 && m_port.ReadByte(&byte) == 1)
        bytes.append(byte);
    return bytes;
}
