#include "modem/CSMSSerialPort.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

CSMSSerialPort::~CSMSSerialPort() { Close(); }

void CSMSSerialPort::Open(int timeoutMs, const QString& portName) {
    if (portName.isEmpty())
        return;
    Close();
    m_portName = portName;
    int error = m_line.Open(portName);
    if (error == 0)
        error = m_line.Configure(SerialLine::ModemLines::Asserted);
    if (error != 0) {
        m_line.Close();
        CSMSException::ThrowSystemError(error);
    }
    m_replyTimeoutMs = timeoutMs;
}

bool CSMSSerialPort::Close() { return m_line.Close() == 0; }

qsizetype CSMSSerialPort::Write(const QByteArray& bytes) {
    int error = 0;
    const qsizetype written = m_line.Write(bytes.constData(), bytes.size(), m_replyTimeoutMs, &error);
    if (written < 0)
        CSMSException::ThrowSystemError(error);
    return written;
}

QByteArray CSMSSerialPort::Read() {
    QByteArray block(kBlockSize, Qt::Uninitialized);
    int error = 0;
    const qsizetype n = m_line.Read(block.data(), block.size(), &error);
    if (n < 0)
        CSMSException::ThrowSystemError(error);
    block.truncate(n);
    return block;
}

bool CSMSSerialPort::WaitForData(int timeoutMs) {
    int error = 0;
    switch (m_line.WaitForData(timeoutMs, &error)) {
    case SerialLine::Wait::Data:
        return true;
    case SerialLine::Wait::Timeout:
        return false;
    case SerialLine::Wait::Failed:
        break;
    }
    CSMSException::ThrowSystemError(error);
}

void CSMSSerialPort::ClearLastReply() {
    m_lastReply.clear();
    m_lastReplyBytes.clear();
}

void CSMSSerialPort::StoreReply(const QByteArray& accumulated) {
    m_lastReplyBytes = accumulated;
    m_lastReply = AnsiCodec::Decode(accumulated);
}

bool CSMSSerialPort::ReadUntil(const QByteArray& token) {
    ClearLastReply();
    QByteArray accumulated;
    for (;;) {
        if (!WaitForData(m_replyTimeoutMs)) {
            StoreReply(accumulated);
            return false;
        }
        QByteArray block = Read();
        if (block.isEmpty())
            continue;
        block.replace('\0', ' ');
        accumulated += block;
        if (!token.isEmpty() && accumulated.contains(token)) {
            StoreReply(accumulated);
            return true;
        }
    }
}

bool CSMSSerialPort::Await(Awaited what, int limitMs, bool silence, const QByteArray& echoToSkip) {
    ClearLastReply();
    QByteArray accumulated;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        if (!WaitForData(MsLeft(deadline))) {
            StoreReply(accumulated);
            return false;
        }
        QByteArray block = Read();
        if (block.isEmpty())
            continue;
        if (silence)
            deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        block.replace('\0', ' ');
        accumulated += block;
        const QByteArray fresh = accumulated.mid(ModemReply::EchoLength(accumulated, echoToSkip));
        const ModemReply::FinalResult result = ModemReply::FindFinalResult(fresh);
        const bool done = what == Awaited::Prompt ? fresh.contains('>') || result == ModemReply::FinalResult::Error
                                                  : result != ModemReply::FinalResult::None;
        if (done) {
            StoreReply(accumulated);
            return true;
        }
    }
}

bool CSMSSerialPort::Command(const QByteArray& command, const QByteArray& token) {
    ClearLastReply();
    Write(command);
    return ReadUntil(token);
}

bool CSMSSerialPort::SetPduMode() { return Command("AT+CMGF=0\r", "OK"); }

bool CSMSSerialPort::SetTextMode() { return Command("AT+CMGF=1\r", "OK"); }

QString CSMSSerialPort::QuerySmsMode() {
    if (!Command("AT+CMGF?\r", "OK"))
        return {};
    return ModemReply::ParseSmsModeQuery(m_lastReply);
}

bool CSMSSerialPort::EnableVerboseErrors() { return Command("AT+CMEE=1\r", "OK"); }

QString CSMSSerialPort::QueryCharsets() {
    Command("AT+CSCS=?\r", "OK");
    return m_lastReply;
}

QString CSMSSerialPort::QueryCharset() {
    Command("AT+CSCS?\r", "OK");
    return m_lastReply;
}

void CSMSSerialPort::SetSmsc(const QString& number) {
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty())
        return;
    EnableVerboseErrors();
    const QString type = trimmed.startsWith(QLatin1Char('+')) ? QStringLiteral(",145") : QStringLiteral(",129");
    Command(AnsiCodec::Encode(QStringLiteral("AT+CSCA=\"") + number + QLatin1Char('"') + type + QLatin1Char('\r')),
            "OK");
}

void CSMSSerialPort::ResetModem() {
    Command("AT\r", "OK");
    Command("AT&F\r", "OK");
    EnableVerboseErrors();
}

QString CSMSSerialPort::ParseError(const QString& reply) { return ModemReply::ParseError(reply); }
