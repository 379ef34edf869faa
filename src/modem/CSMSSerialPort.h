#pragma once

#include "modem/ModemTiming.h"
#include "modem/SerialLine.h"

#include <QByteArray>
#include <QString>

// The overlapped transport of a device slot: raw replies collected in blocks of up to 4096 bytes until an
// expected token arrives or the line falls silent for the reply time-out (a silence limit: it restarts with
// every byte received). Used by discovery, the connection tests and, through SerialPortTransport, sending. A port object is
// used by one thread at a time; failures of the port itself throw CSMSException with the system's errno.
class CSMSSerialPort {
public:
    static constexpr int kBlockSize = 4096;

    CSMSSerialPort() = default;
    virtual ~CSMSSerialPort();
    CSMSSerialPort(const CSMSSerialPort&) = delete;
    CSMSSerialPort& operator=(const CSMSSerialPort&) = delete;

    // An empty port name opens nothing. Otherwise closes any open port, opens portName exclusively and sets
    // the line up; timeoutMs becomes the reply time-out (the scan passes 1000, other callers 5000).
    // Throws CSMSException (system error) and leaves the port closed when any step fails.
    void Open(int timeoutMs, const QString& portName);
    // Never throws; returns whether the close succeeded.
    bool Close();
    bool IsOpen() const { return m_line.IsOpen(); }
    const QString& PortName() const { return m_portName; }
    int ReplyTimeoutMs() const { return m_replyTimeoutMs; }

    // Writes every byte (giving up after the reply time-out without progress); returns the count written.
    qsizetype Write(const QByteArray& bytes);
    // Up to 4096 buffered bytes; empty when nothing is waiting.
    QByteArray Read();
    // True as soon as a byte is waiting, false after timeoutMs without one.
    bool WaitForData(int timeoutMs);

    // Collects the reply until it contains token (byte-wise) or the line is silent for the reply time-out.
    // NUL bytes become spaces. The whole reply, decoded from Windows-1252, is kept as the last reply.
    bool ReadUntil(const QByteArray& token);

    enum class Awaited { Prompt, FinalResult };
    // Collects the reply until the ">" prompt (or an error result instead of it) or a final result code on
    // a line of its own, passing over an echo of echoToSkip at the start. With silence = true, limitMs is a
    // silence limit like ReadUntil's; otherwise an overall limit. Returns whether it came.
    bool Await(Awaited what, int limitMs, bool silence, const QByteArray& echoToSkip = {});

    const QString& LastReply() const { return m_lastReply; }
    const QByteArray& LastReplyBytes() const { return m_lastReplyBytes; }
    void ClearLastReply();

    // Writes command (ASCII, ending "\r") and reads until token.
    bool Command(const QByteArray& command, const QByteArray& token);
    bool SetPduMode();
    bool SetTextMode();
    // "1", "0", "2" or empty, from AT+CMGF?.
    QString QuerySmsMode();
    bool EnableVerboseErrors();
    QString QueryCharsets();
    QString QueryCharset();
    void SetSmsc(const QString& number);
    void ResetModem();
    static QString ParseError(const QString& reply);

    void SetTiming(const ModemTiming& timing) { m_timing = timing; }
    const ModemTiming& Timing() const { return m_timing; }

private:
    void StoreReply(const QByteArray& accumulated);

    SerialLine m_line;
    int m_replyTimeoutMs = 15000;
    QString m_portName;
    QString m_lastReply;
    QByteArray m_lastReplyBytes;
    ModemTiming m_timing;
};
