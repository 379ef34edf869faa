#pragma once

#include "modem/LineFollower.h"
#include "modem/ModemReply.h"
#include "modem/ModemTiming.h"
#include "modem/SerialLine.h"

#include <QByteArray>
#include <QString>

// The non-overlapped transport ("Sent Non Overlapped"): one byte per read or write call, replies read as
// single lines, both directions purged before every command. Used by one thread at a time.
class CIrdaPort {
public:
    CIrdaPort() = default;
    virtual ~CIrdaPort();
    CIrdaPort(const CIrdaPort&) = delete;
    CIrdaPort& operator=(const CIrdaPort&) = delete;

    // Opens portName exclusively; true on success (the line set-up's own failures go unnoticed). On failure
    // *error (when given) is the system's errno.
    bool Open(const QString& portName, int* error = nullptr);
    // Purges and closes; false when not open or the close failed. Never throws.
    bool Close();
    bool IsOpen() const { return m_line.IsOpen(); }
    const QString& PortName() const { return m_portName; }

    // 1 when a byte was read into *byte, 0 when none is waiting; a failed port throws CSMSException.
    int ReadByte(char* byte);
    // Throws CSMSException when the write fails; false when the device took nothing for the stall limit.
    bool WriteByte(char byte);
    // Writes byte by byte; false after irdaWriteStallMs without a byte written.
    bool WriteAll(const QByteArray& bytes);
    // Writes <ESC>, which ends a message body without sending it (a prompt that came too late), and waits until
    // it is sent, so that the purge before the next command does not take it back. Nothing for a device that
    // waits for no body.
    void CancelMessageBody();

    // Purges both directions (what came in is read away, at most 4096 bytes), appends "\r" when asked, writes the
    // command in Windows-1252.
    bool SendCommand(const QString& command, bool appendCr);
    // Reads one line: capture starts at the first printable byte after CR LF (not within the rest of what the
    // device began before the command: LineFollower, nor in the echo of the command sent last), keeps printable
    // bytes, and ends at printable, CR, LF.
    // False with what was captured after silenceMs without a byte (irdaLineSilenceMs when silenceMs < 0). With
    // endAtPrompt, a captured ">" ends the read at once (the prompt has no line end).
    bool ReadLine(QString* out, int silenceMs = -1, bool endAtPrompt = false);
    bool ExecuteCommand(const QString& command, const QString& errorToken, const QString& successToken,
                        QString* response, bool checkTokens);

    bool SetSmsc(const QString& number);
    bool ResetModem();
    QString QueryCharset();
    QString QueryCharsets();
    // Sends command and returns its first line that is not an unsolicited result code; "Failed to receive a
    // response from the modem." when the command could not be written. The final result after that line is read
    // too, so that it is not taken for the next command's answer.
    QString QueryOneLine(const QString& command);
    // Reads lines up to the final result (OK, ERROR, +CMS / +CME ERROR), at most 8, each within the line
    // silence.
    void ReadFinalResult();
    // As CSMSSerialPort::ParseError, keeping "Failed to receive a response from the modem." as it is.
    static QString ParseError(const QString& response);

    void SetTiming(const ModemTiming& timing) { m_timing = timing; }
    const ModemTiming& Timing() const { return m_timing; }

    // ReadLine, passing over unsolicited result codes (at most 8).
    bool ReadAnswerLine(QString* line, bool endAtPrompt = false);

    // Sends command (with "\r") and collects its whole reply, every byte (a listing has many lines, a PDU line
    // among them), up to a final result code on a line of its own; each byte must come within the line silence.
    // What the device began before the command is passed over. The final result; None after a silence.
    ModemReply::FinalResult CommandReply(const QString& command, QByteArray* reply);
    // Every byte read from the device (the purge before a command included) is also appended to *tap while one
    // is set (null: none), so indications that replies pass over or the purge reads away (+CDS, +CMT, +CDSI,
    // +CMTI) still reach their reader. The buffer belongs to the caller and is used on the port's thread only.
    void SetReceiveTap(QByteArray* tap) { m_tap = tap; }

private:

    SerialLine m_line;
    QString m_portName;
    ModemTiming m_timing;
    QString m_lastCommand;     // as written by SendCommand, without "\r": its echo is no answer
    LineFollower m_follower;   // what the device began before the current command
    bool m_bytePassed = false; // the last byte read belongs to it
    QByteArray* m_tap = nullptr;
};
