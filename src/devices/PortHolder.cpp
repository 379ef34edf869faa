#include "devices/PortHolder.h"

#include "devices/DeviceTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unistd.h>

namespace PortHolder {

QStringList Holders(const QString& portName, const QString& procRoot) {
    const QString target = QFileInfo(portName).canonicalFilePath();
    if (target.isEmpty())
        return {};
    std::vector<long long> pids;
    for (const QString& entry : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const long long pid = entry.toLongLong(&numeric);
        if (numeric && pid != static_cast<long long>(::getpid()))
            pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());

    QStringList holders;
    for (long long pid : pids) {
        const QString base = procRoot + QLatin1Char('/') + QString::number(pid);
        const QDir fdDir(base + QStringLiteral("/fd"));
        bool holds = false;
        for (const QString& fd : fdDir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo(fdDir.filePath(fd)).symLinkTarget() == target) {
                holds = true;
                break;
            }
        }
        if (!holds)
            continue;
        QFile comm(base + QStringLiteral("/comm"));
        QString name = comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
        if (name.isEmpty())
            name = QStringLiteral("process");
        holders << QStringLiteral("%1 (pid %2)").arg(name).arg(pid);
    }
    return holders;
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
