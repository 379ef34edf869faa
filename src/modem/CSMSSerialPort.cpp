#include "modem/CSMSSerialPort.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kMaxStaleBlocks = 16; // of up to kBlockSize bytes each

// Where the "> " prompt of AT+CMGS begins (TS 27.005 3.5.1: <CR><LF><greater_than><space>), -1 when it has not
// come: a '>' at the start of a line, followed by a space or nothing yet. A '>' inside a line (the text of a
// message indicated meanwhile) is no prompt.
qsizetype PromptAt(const QByteArray& reply) {
    for (qsizetype at = reply.indexOf('>'); at >= 0; at = reply.indexOf('>', at + 1)) {
        const bool lineStart = at == 0 || reply.at(at - 1) == '\n' || reply.at(at - 1) == '\r';
        const bool spaceNext = at + 1 == reply.size() || reply.at(at + 1) == ' ';
        if (lineStart && spaceNext)
            return at;
    }
    return -1;
}

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
    m_follower.Reset();
}

bool CSMSSerialPort::Close() {
    m_follower.Reset();
    return m_line.Close() == 0;
}

void CSMSSerialPort::CancelMessageBody(int waitMs) {
    if (Write(QByteArray(1, '\x1b')) != 1)
        return;
    if (WaitForData(waitMs))
        static_cast<void>(Read());
}

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
    if (m_tap != nullptr)
        m_tap->append(block);
    m_passed = m_follower.Follow(block);
    return block;
}

QByteArray CSMSSerialPort::ReplyBlock(bool* received) {
    QByteArray block = Read();
    *received = !block.isEmpty();
    block.remove(0, m_passed);
    block.replace('\0', ' ');
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
        bool received = false;
        const QByteArray block = ReplyBlock(&received);
        if (block.isEmpty())
            continue;
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
        bool received = false;
        const QByteArray block = ReplyBlock(&received);
        if (silence && received)
            deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        if (block.isEmpty())
            continue;
        accumulated += block;
        const qsizetype echo = ModemReply::EchoLength(accumulated, echoToSkip);
        const QByteArray fresh = accumulated.mid(echo);
        qsizetype resultStart = 0;
        const ModemReply::FinalResult result = ModemReply::FindFinalResult(fresh, &resultStart);
        const qsizetype prompt = what == Awaited::Prompt ? PromptAt(fresh) : -1;
        if (prompt >= 0 && (result == ModemReply::FinalResult::None || prompt < resultStart)) {
            StoreReply(accumulated);
            return true;
        }
        if (result == ModemReply::FinalResult::Error ||
            (what == Awaited::FinalResult && result != ModemReply::FinalResult::None)) {
            // The reply ends with the final result's line; what came after it is the device's next output
            // (an unsolicited line, perhaps in part), not part of this answer.
            StoreReply(accumulated.left(echo + ModemReply::LineEndAfter(fresh, resultStart)));
            return true;
        }
    }
}

void CSMSSerialPort::StartCommand(const QByteArray& line) {
    for (int block = 0; block < kMaxStaleBlocks && !Read().isEmpty(); ++block) {
    }
    m_follower.Arm();
    ClearLastReply();
    Write(line);
}

ModemReply::FinalResult CSMSSerialPort::Exchange(const QByteArray& line) {
    StartCommand(line);
    if (!Await(Awaited::FinalResult, m_replyTimeoutMs, true, line))
        return ModemReply::FinalResult::None;
    return ModemReply::FindFinalResult(m_lastReplyBytes.mid(ModemReply::EchoLength(m_lastReplyBytes, line)));
}

bool CSMSSerialPort::Command(const QByteArray& line) { return Exchange(line) == ModemReply::FinalResult::Ok; }

bool CSMSSerialPort::SetPduMode() { return Command("AT+CMGF=0\r"); }

bool CSMSSerialPort::SetTextMode() { return Command("AT+CMGF=1\r"); }

QString CSMSSerialPort::QuerySmsMode() {
    if (!Command("AT+CMGF?\r"))
        return {};
    return ModemReply::ParseSmsModeQuery(m_lastReply);
}

bool CSMSSerialPort::EnableVerboseErrors() { return Command("AT+CMEE=1\r"); }

QString CSMSSerialPort::QueryCharsets() {
    Command("AT+CSCS=?\r");
    return m_lastReply;
}

QString CSMSSerialPort::QueryCharset() {
    Command("AT+CSCS?\r");
    return m_lastReply;
}

void CSMSSerialPort::SetSmsc(const QString& number) {
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty())
        return;
    EnableVerboseErrors();
    const QString type = trimmed.startsWith(QLatin1Char('+')) ? QStringLiteral(",145") : QStringLiteral(",129");
    Command(AnsiCodec::Encode(QStringLiteral("AT+CSCA=\"") + number + QLatin1Char('"') + type + QLatin1Char('\r')));
}

void CSMSSerialPort::ResetModem() {
    Command("AT\r");
    Command("AT&F\r");
    EnableVerboseErrors();
}

QString CSMSSerialPort::ParseError(const QString& reply) { return ModemReply::ParseError(reply); }
