#include "modem/CIrdaPort.h"

#include "common/AnsiCodec.h"
#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kMaxUnsolicitedLines = 8;
constexpr char kEscape = '\x1b'; // TS 27.005 3.5.1: ends a message body without sending it
constexpr int kMaxStaleBytes = 4096; // read away before a command; a device that never stops talking is cut off
constexpr qsizetype kMaxReplyBytes = 1 << 20; // a whole listing of a full storage is far less

bool Printable(char c) { return c >= 32 && c <= 126; }

bool IsFinalResult(const QString& line) {
    return ModemReply::FindFinalResult(line.toLatin1() + '\n') != ModemReply::FinalResult::None;
}

const QString& NoResponseText() {
    static const QString text = ModemStringTableText(CSMSException::kNoResponseId);
    return text;
}
} // namespace

CIrdaPort::~CIrdaPort() { Close(); }

bool CIrdaPort::Open(const QString& portName, int* error) {
    const int openError = m_line.Open(portName);
    if (error != nullptr)
        *error = openError;
    if (openError != 0)
        return false;
    m_portName = portName;
    m_follower.Reset();
    (void)m_line.Flush(SerialLine::Purge::Both);
    (void)m_line.Configure(SerialLine::ModemLines::Dropped);
    return true;
}

bool CIrdaPort::Close() {
    if (!m_line.IsOpen())
        return false;
    (void)m_line.Flush(SerialLine::Purge::Both);
    return m_line.Close() == 0;
}

int CIrdaPort::ReadByte(char* byte) {
    int error = 0;
    const qsizetype n = m_line.Read(byte, 1, &error);
    if (n < 0)
        CSMSException::ThrowSystemError(error);
    if (n > 0 && m_tap != nullptr)
        m_tap->append(*byte);
    m_bytePassed = n > 0 && m_follower.Follow(QByteArrayView(byte, 1)) > 0;
    return static_cast<int>(n);
}

bool CIrdaPort::WriteByte(char byte) {
    int error = 0;
    const qsizetype n = m_line.Write(&byte, 1, m_timing.irdaWriteStallMs, &error);
    if (n < 0)
        CSMSException::ThrowSystemError(error);
    return n == 1;
}

void CIrdaPort::CancelMessageBody() {
    if (WriteByte(kEscape))
        (void)m_line.WaitUntilSent();
}

bool CIrdaPort::WriteAll(const QByteArray& bytes) {
    // Each byte gets the full stall limit, so the limit restarts after every byte written.
    for (char c : bytes) {
        if (!WriteByte(c))
            return false;
    }
    return true;
}

bool CIrdaPort::SendCommand(const QString& command, bool appendCr) {
    if (!m_line.IsOpen())
        return false;
    // Both directions are purged. What came in is read away rather than flushed, so that a line it leaves
    // unfinished (an unsolicited line arriving in pieces) is known and its rest is not taken for the answer.
    (void)m_line.Flush(SerialLine::Purge::Output);
    char stale = 0;
    for (int n = 0; n < kMaxStaleBytes && ReadByte(&stale) == 1; ++n) {
    }
    m_follower.Arm();
    m_lastCommand = command.trimmed();
    QByteArray bytes = AnsiCodec::Encode(command);
    if (appendCr)
        bytes.append('\r');
    return WriteAll(bytes);
}

bool CIrdaPort::ReadLine(QString* out, int silenceMs, bool endAtPrompt) {
    out->clear();
    if (silenceMs < 0)
        silenceMs = m_timing.irdaLineSilenceMs;
    char beforeLast = 0;
    char last = 0;
    bool capturing = false;
    QByteArray captured;
    auto deadline = Clock::now() + std::chrono::milliseconds(silenceMs);
    for (;;) {
        char byte = 0;
        if (ReadByte(&byte) == 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            int error = 0;
            if (left <= 0 || m_line.WaitForData(static_cast<int>(left), &error) == SerialLine::Wait::Timeout) {
                *out = AnsiCodec::Decode(captured);
                return false;
            }
            // A failed wait is a failed port: the next read says so with its errno.
            continue;
        }
        deadline = Clock::now() + std::chrono::milliseconds(silenceMs);
        if (m_bytePassed) {
            // The rest of what the device began before the command: like a line read, it ends with its CR LF,
            // so that what follows it directly (the command's echo) is not captured either.
            beforeLast = last = 0;
            continue;
        }
        if (!capturing && beforeLast == '\r' && last == '\n' && Printable(byte))
            capturing = true;
        if (capturing && byte == '\r' && !m_lastCommand.isEmpty() &&
            QString::fromLatin1(captured).compare(m_lastCommand, Qt::CaseInsensitive) == 0) {
            // The command's echo, captured because an unsolicited line ended just before it: no answer.
            capturing = false;
            captured.clear();
        }
        if (capturing && Printable(byte))
            captured.append(byte);
        if (capturing && Printable(beforeLast) && last == '\r' && byte == '\n') {
            *out = AnsiCodec::Decode(captured);
            return true;
        }
        if (endAtPrompt && capturing && captured == ">") {
            *out = QStringLiteral(">");
            return true;
        }
        beforeLast = last;
        last = byte;
    }
}

bool CIrdaPort::ExecuteCommand(const QString& command, const QString& errorToken, const QString& successToken,
                               QString* response, bool checkTokens) {
    if (!m_line.IsOpen())
        return false;
    if (!SendCommand(command, true)) {
        *response = NoResponseText();
        return false;
    }
    const bool submission = command.contains(QLatin1String("AT+CMGS"));
    if (submission)
        ModemTiming::Sleep(m_timing.irdaCmgsSleepMs);
    const bool prompt = successToken == QLatin1String(">");
    QString line;
    const bool gotLine = ReadAnswerLine(&line, prompt && m_timing.waitForReplies);
    if (!gotLine) {
        *response = line;
        if (checkTokens && !prompt)
            return false;
    } else if (submission && line == QLatin1String("ERROR")) {
        line.clear();
    }
    line = line.trimmed();
    *response = line;
    if (!checkTokens)
        return true;
    if (prompt)
        return line.contains(QLatin1Char('>'));
    if (line.contains(errorToken))
        return false;
    return line.contains(successToken);
}

bool CIrdaPort::SetSmsc(const QString& number) {
    if (number.isEmpty())
        return false;
    QString response;
    if (!ExecuteCommand(QStringLiteral("AT+CMEE=1"), QStringLiteral("ERROR"), QStringLiteral("OK"), &response, true))
        return false;
    const QString type = number.startsWith(QLatin1Char('+')) ? QStringLiteral(",145") : QStringLiteral(",129");
    return ExecuteCommand(QStringLiteral("AT+CSCA=\"") + number + QLatin1Char('"') + type, QStringLiteral("ERROR"),
                          QStringLiteral("OK"), &response, true);
}

bool CIrdaPort::ResetModem() {
    QString response;
    bool ok = true;
    for (const char* command : {"AT", "AT&F", "AT+CMEE=1"})
        ok = ExecuteCommand(QLatin1String(command), QStringLiteral("ERROR"), QStringLiteral("OK"), &response, true) &&
             ok;
    return ok;
}

QString CIrdaPort::QueryCharset() { return QueryOneLine(QStringLiteral("AT+CSCS?")); }

QString CIrdaPort::QueryCharsets() { return QueryOneLine(QStringLiteral("AT+CSCS=?")); }

QString CIrdaPort::QueryOneLine(const QString& command) {
    if (!SendCommand(command, true))
        return NoResponseText();
    QString line;
    if (ReadAnswerLine(&line, false) && !IsFinalResult(line))
        ReadFinalResult();
    return line;
}

void CIrdaPort::ReadFinalResult() {
    QString line;
    for (int n = 0; n < kMaxUnsolicitedLines && ReadLine(&line); ++n) {
        if (IsFinalResult(line))
            return;
    }
}

bool CIrdaPort::ReadAnswerLine(QString* line, bool endAtPrompt) {
    bool gotLine = ReadLine(line, -1, endAtPrompt);
    // Unsolicited lines are not the answer; the answer follows them. (The data line after a +CMT header has no
    // line end before it within the next read, so that read passes over it.)
    for (int skipped = 0; gotLine && ModemReply::IsUnsolicited(*line) && skipped < kMaxUnsolicitedLines; ++skipped)
        gotLine = ReadLine(line, -1, endAtPrompt);
    return gotLine;
}

ModemReply::FinalResult CIrdaPort::CommandReply(const QString& command, QByteArray* reply) {
    reply->clear();
    if (!SendCommand(command, true))
        return ModemReply::FinalResult::None;
    const QByteArray echo = AnsiCodec::Encode(command) + '\r';
    for (;;) {
        char byte = 0;
        if (ReadByte(&byte) == 0) {
            int error = 0;
            if (m_line.WaitForData(m_timing.irdaLineSilenceMs, &error) == SerialLine::Wait::Timeout)
                return ModemReply::FinalResult::None;
            continue; // a failed wait is a failed port: the next read says so with its errno
        }
        if (m_bytePassed)
            continue;
        if (reply->size() >= kMaxReplyBytes)
            return ModemReply::FinalResult::None; // a device that never ends its reply
        reply->append(byte == 0 ? ' ' : byte);
        if (byte != '\n' && byte != '\r')
            continue;
        const ModemReply::FinalResult result =
            ModemReply::FindFinalResult(reply->mid(ModemReply::EchoLength(*reply, echo)));
        if (result != ModemReply::FinalResult::None)
            return result;
    }
}

QString CIrdaPort::ParseError(const QString& response) {
    if (response == NoResponseText())
        return response;
    return ModemReply::ParseError(response);
}
