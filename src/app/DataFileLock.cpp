#include "app/DataFileLock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString DataFileLock::LockPathFor(const QString& dataFile) {
    const QFileInfo info(dataFile);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

DataFileLock::DataFileLock(const QString& dataFile, int timeoutMs) {
    const QByteArray path = QFile::encodeName(LockPathFor(dataFile));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_error = errno == EWOULDBLOCK ? QStringLiteral("the file is in use by another program")
                                   : QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
}

DataFileLock::~DataFileLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}
