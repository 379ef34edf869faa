#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <chrono>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// The client's end of a simulated modem in tests: the pty slave opened with plain POSIX calls, raw mode, as
// any serial program would. Reads wait with poll() and a time-out in ms, never a fixed sleep.
class SimTestPort {
public:
    explicit SimTestPort(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0) {
            termios tio{};
            ::tcgetattr(m_fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~SimTestPort() { Close(); }
    SimTestPort(const SimTestPort&) = delete;
    SimTestPort& operator=(const SimTestPort&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool Write(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    // Reads until `token` has arrived (everything read is returned, token included) or `timeoutMs` passed
    // without it. *reads counts the read() calls that returned data.
    QByteArray ReadUntil(const QByteArray& token, int timeoutMs = 2000, int* reads = nullptr) {
        QByteArray got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!got.contains(token)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            if ((p.revents & POLLIN) == 0) {
                m_hungUp = true;
                break;
            }
            char buffer[1024];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN)
                    continue;
                m_hungUp = true;
                break;
            }
            got.append(buffer, n);
            if (reads)
                ++*reads;
        }
        return got;
    }

    // Everything that arrives within `ms` (for checking that nothing comes).
    QByteArray ReadFor(int ms) { return ReadUntil(QByteArray("\x01\x02\x03never", 9), ms); }

    // Writes a command line and reads its reply up to `token`.
    QByteArray Command(const QByteArray& line, const QByteArray& token = "OK\r\n", int timeoutMs = 2000) {
        Write(line);
        return ReadUntil(token, timeoutMs);
    }

    bool HungUp() const { return m_hungUp; }

private:
    int m_fd = -1;
    bool m_hungUp = false;
};
