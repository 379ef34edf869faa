#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// Another process holding a port open and locked, as a program that owns a modem does; released and reaped
// when the object goes, whatever the test's outcome.
class HoldingProcess {
public:
    explicit HoldingProcess(const QString& portName) {
        const QByteArray path = QFile::encodeName(portName);
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls here: hold the port until the release pipe closes.
            ::close(m_release[1]);
            ::close(ready[0]);
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            char c = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            if (::write(ready[1], &c, 1) != 1)
                ::_exit(1);
            static_cast<void>(::read(m_release[0], &c, 1));
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(m_release[0]);
        char c = 0;
        m_holding = m_pid > 0 && ::read(ready[0], &c, 1) == 1 && c == '1';
        ::close(ready[0]);
    }
    ~HoldingProcess() {
        ::close(m_release[1]);
        if (m_pid > 0) {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    bool Holding() const { return m_holding; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_release[2] = {-1, -1};
    bool m_holding = false;
};
