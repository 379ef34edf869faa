#pragma once

#include <QString>

// An exclusive lock on one data file across processes (the desktop program and bulksms-cli on the same data
// folder), so that an append never lands between a rewrite's read and its rename. It is an flock(2) on a hidden
// companion file ".<name>.lock" beside the data file, which outlives rewrites (the data file itself is replaced
// by rename). The kernel drops the lock when its process dies, so a crash never leaves a file locked. Threads
// of one process exclude each other too (each lock opens its own file description).
class DataFileLock {
public:
    // Waits at most this long for another process's lock (ms).
    static constexpr int kDefaultTimeoutMs = 10000;

    explicit DataFileLock(const QString& dataFile, int timeoutMs = kDefaultTimeoutMs);
    ~DataFileLock(); // unlocks
    DataFileLock(const DataFileLock&) = delete;
    DataFileLock& operator=(const DataFileLock&) = delete;

    // Whether the lock is held; when not, Error() says why (the caller then leaves the file alone).
    bool IsLocked() const { return m_fd >= 0; }
    const QString& Error() const { return m_error; }

    static QString LockPathFor(const QString& dataFile);

private:
    int m_fd = -1;
    QString m_error;
};
