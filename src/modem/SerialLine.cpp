#include "modem/SerialLine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace {
int Errno() { return errno != 0 ? errno : EIO; }

// A device that hung up (modem unplugged, pty master closed) shows POLLHUP/POLLERR, or reads as end of file.
bool HungUp(short revents) { return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (revents & POLLIN) == 0; }
} // namespace

SerialLine::~SerialLine() { Close(); }

int SerialLine::Open(const QString& path) {
    Close();
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Errno();
    if (!::isatty(fd)) {
        ::close(fd);
        return ENOTTY;
    }
    // Another program holding an advisory lock (or us, through another slot) means the port is in use.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : Errno();
        ::close(fd);
        return error;
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_path = path;
    return 0;
}

int SerialLine::Configure(ModemLines lines) {
    if (m_fd < 0)
        return EBADF;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return Errno();
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0)
        return Errno();
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return Errno();
    // DTR and RTS: raised for the handshake setting, dropped otherwise. Pseudo-terminals have no modem
    // lines, so a refusal here is not an error.
    int bits = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_fd, lines == ModemLines::Asserted ? TIOCMBIS : TIOCMBIC, &bits);
    return 0;
}

int SerialLine::Close() {
    if (m_fd < 0)
        return 0;
    // The exclusive flag outlives the descriptor on some devices (pseudo-terminals): clear it, or the next
    // opener who is not root gets EBUSY.
    ::ioctl(m_fd, TIOCNXCL);
    const int rc = ::close(m_fd); // closing releases the flock too
    m_fd = -1;
    return rc == 0 ? 0 : Errno();
}

qsizetype SerialLine::Write(const char* data, qsizetype size, int stallMs, int* error) {
    if (m_fd < 0) {
        *error = EBADF;
        return -1;
    }
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(size - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            *error = Errno();
            return -1;
        }
        pollfd p{m_fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, stallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            *error = Errno();
            return -1;
        }
        if (ready == 0)
            return done; // the device took nothing for stallMs
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (p.revents & POLLOUT) == 0) {
            *error = EIO;
            return -1;
        }
    }
    return done;
}

qsizetype SerialLine::Read(char* buffer, qsizetype capacity, int* error) {
    if (m_fd < 0) {
        *error = EBADF;
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(capacity));
        if (n > 0)
            return n;
        if (n == 0) {
            // A tty in non-blocking raw mode never reads 0 bytes while connected: this is a hang-up.
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                *error = EIO;
                return -1;
            }
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        *error = Errno();
        return -1;
    }
}

SerialLine::Wait SerialLine::WaitForData(int timeoutMs, int* error) {
    if (m_fd < 0) {
        *error = EBADF;
        return Wait::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            *error = Errno();
            return Wait::Failed;
        }
        if (ready == 0)
            return Wait::Timeout;
        if (HungUp(p.revents)) {
            *error = EIO;
            return Wait::Failed;
        }
        return Wait::Data;
    }
}

int SerialLine::Flush(Purge what) {
    if (m_fd < 0)
        return EBADF;
    const int queue = what == Purge::Input ? TCIFLUSH : what == Purge::Output ? TCOFLUSH : TCIOFLUSH;
    return ::tcflush(m_fd, queue) == 0 ? 0 : Errno();
}

int SerialLine::WaitUntilSent() {
    if (m_fd < 0)
        return EBADF;
    while (::tcdrain(m_fd) != 0) {
        if (errno != EINTR)
            return Errno();
    }
    return 0;
}
