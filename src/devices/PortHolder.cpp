#include "devices/PortHolder.h"

#include "devices/DeviceTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace PortHolder {

namespace {

QString CommandName(const QString& procRoot, long long pid) {
    QFile comm(procRoot + QLatin1Char('/') + QString::number(pid) + QStringLiteral("/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
}

QString Describe(const QString& procRoot, long long pid) {
    QString name = CommandName(procRoot, pid);
    if (name.isEmpty())
        name = QStringLiteral("process");
    return QStringLiteral("%1 (pid %2)").arg(name).arg(pid);
}

// Every process but ours, in pid order.
std::vector<long long> OtherPids(const QString& procRoot) {
    std::vector<long long> pids;
    for (const QString& entry : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const long long pid = entry.toLongLong(&numeric);
        if (numeric && pid != static_cast<long long>(::getpid()))
            pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

// The processes holding an advisory lock on the device node (procRoot/locks lines such as
// "1: FLOCK  ADVISORY  WRITE 812 00:19:5 0 EOF", the device as hex major:minor and the inode): the lock, not
// a mere open descriptor, is what keeps another program out.
std::set<long long> Lockers(const QString& target, const QString& procRoot) {
    std::set<long long> pids;
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) != 0)
        return pids;
    QFile locks(procRoot + QStringLiteral("/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) == "->")
            continue; // a waiter, not a holder
        const QList<QByteArray> id = fields.at(5).split(':');
        if (id.size() != 3)
            continue;
        bool ok[4] = {};
        const unsigned major = id.at(0).toUInt(&ok[0], 16);
        const unsigned minor = id.at(1).toUInt(&ok[1], 16);
        const qulonglong inode = id.at(2).toULongLong(&ok[2]);
        const long long pid = fields.at(4).toLongLong(&ok[3]);
        if (ok[0] && ok[1] && ok[2] && ok[3] && major == ::major(st.st_dev) && minor == ::minor(st.st_dev) &&
            inode == static_cast<qulonglong>(st.st_ino) && pid != static_cast<long long>(::getpid()))
            pids.insert(pid);
    }
    return pids;
}

} // namespace

QStringList Holders(const QString& portName, const QString& procRoot) {
    const QString target = QFileInfo(portName).canonicalFilePath();
    if (target.isEmpty())
        return {};
    if (const std::set<long long> lockers = Lockers(target, procRoot); !lockers.empty()) {
        QStringList named;
        for (long long pid : lockers)
            named << Describe(procRoot, pid);
        return named;
    }
    QStringList holders;
    for (long long pid : OtherPids(procRoot)) {
        const QString base = procRoot + QLatin1Char('/') + QString::number(pid);
        const QDir fdDir(base + QStringLiteral("/fd"));
        bool holds = false;
        for (const QString& fd : fdDir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo(fdDir.filePath(fd)).symLinkTarget() == target) {
                holds = true;
                break;
            }
        }
        if (holds)
            holders << Describe(procRoot, pid);
    }
    return holders;
}

QStringList Running(const QString& processName, const QString& procRoot) {
    QStringList running;
    for (long long pid : OtherPids(procRoot)) {
        if (CommandName(procRoot, pid) == processName)
            running << Describe(procRoot, pid);
    }
    return running;
}

QString CannotAccessStatus(const QString& portName, const QString& errorText, const QString& procRoot) {
    QStringList notes;
    if (!errorText.isEmpty())
        notes << errorText;
    if (const QStringList holders = Holders(portName, procRoot); !holders.isEmpty())
        notes << QStringLiteral("in use by ") + holders.join(QStringLiteral(", "));
    if (notes.isEmpty())
        return DeviceTexts::kCannotAccess;
    return DeviceTexts::kCannotAccess + QStringLiteral(" (") + notes.join(QStringLiteral("; ")) + QLatin1Char(')');
}

} // namespace PortHolder
