#pragma once

#include <QByteArray>
#include <QString>

// One open serial device (or pseudo-terminal) in raw 9600 8N1, opened exclusively: TIOCEXCL against other
// openers, plus an advisory flock that holds even against root (who passes TIOCEXCL). All I/O is
// non-blocking underneath; waits use poll() with a time-out in milliseconds. Every failing call returns the
// errno of the failure (0 = success); a device that vanished (unplugged modem, closed pty) reports EIO.
// No thread affinity; one thread at a time.
class SerialLine {
public:
    enum class ModemLines { Asserted, Dropped }; // DTR/RTS raised (handshake) or left low (disabled)
    enum class Purge { Input, Output, Both };

    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    [[nodiscard]] int Open(const QString& path);
    // Raw mode, 9600 baud, 8 data bits, no parity, one stop bit, no software flow control, receiver on,
    // modem control lines as asked. No hardware output flow control: the device's CTS is not obeyed.
    [[nodiscard]] int Configure(ModemLines lines);
    // Closes the device; returns 0 or the errno of close().
    int Close();
    bool IsOpen() const { return m_fd >= 0; }
    const QString& Path() const { return m_path; }

    // Writes all bytes, waiting up to stallMs for the device to take more whenever it is full.
    // Returns the count written (less than size after a stall), or -1 with *error set.
    qsizetype Write(const char* data, qsizetype size, int stallMs, int* error);
    // Reads what is buffered, at most capacity bytes: the count (0 when nothing waits), or -1 with *error.
    qsizetype Read(char* buffer, qsizetype capacity, int* error);

    enum class Wait { Data, Timeout, Failed };
    // Waits up to timeoutMs for received bytes.
    Wait WaitForData(int timeoutMs, int* error);

    [[nodiscard]] int Flush(Purge what);
    // Waits until every byte written has left (tcdrain); returns 0 or the errno.
    [[nodiscard]] int WaitUntilSent();

private:
    int m_fd = -1;
    QString m_path;
};
