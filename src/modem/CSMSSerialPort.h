#pragma once

#include "modem/LineFollower.h"
#include "modem/ModemReply.h"
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

    // TS 27.005 3.5.1: <ESC> ends a message body without sending it. A program killed between AT+CMGS and the
    // body's end leaves the device waiting for the body, taking every later command line for text; after the
    // escape it is back in command state (a device already there ignores it). The "OK" that answers the escape
    // is read and dropped when it comes within waitMs; a later one is dropped by the next StartCommand.
    void CancelMessageBody(int waitMs);

    // Writes a command line (ASCII, ending "\r"). What the device sent earlier that nobody read (a late answer,
    // unsolicited lines) is dropped first, at most 16 blocks of it; when that leaves a line unfinished (an
    // unsolicited line whose rest is still on its way) or data lines still due (the PDU of a +CMT), the reply
    // that follows is read from after them, so no piece of them is taken for part of the answer.
    void StartCommand(const QByteArray& line);
    // StartCommand, then the reply up to its final result, within the reply time-out as a silence limit. The
    // final result after the command's echo; None when the device gave none.
    ModemReply::FinalResult Exchange(const QByteArray& line);
    // Exchange; true when the device answered "OK".
    bool Command(const QByteArray& line);
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

    // Every byte read from the device is also appended to *tap while one is set (null: none), so that the
    // unsolicited lines a reply passes over or StartCommand drops (+CDS, +CMT, +CDSI, +CMTI) still reach their
    // reader. The buffer belongs to the caller and is used on the port's thread only.
    void SetReceiveTap(QByteArray* tap) { m_tap = tap; }

    void SetTiming(const ModemTiming& timing) { m_timing = timing; }
    const ModemTiming& Timing() const { return m_timing; }

private:
    void StoreReply(const QByteArray& accumulated);
    // The next block of a reply, NUL bytes as spaces, without the bytes that finish what the device began
    // before the current command (LineFollower). *received: whether any byte came at all.
    QByteArray ReplyBlock(bool* received);

    SerialLine m_line;
    int m_replyTimeoutMs = 15000;
    QString m_portName;
    LineFollower m_follower; // what the device began before the current command, to be passed over
    qsizetype m_passed = 0;  // bytes of the last Read that belong to it
    QString m_lastReply;
    QByteArray m_lastReplyBytes;
    ModemTiming m_timing;
    QByteArray* m_tap = nullptr;
};
