#include "devices/PortEnumerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

QString ReadLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine(4096)).trimmed();
}

// Names of ttys that are never modems even when the system gives them no device: the console, the
// controlling terminal, virtual consoles and built-in UARTs of common boards.
bool IsSystemTtyName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(console|tty|tty\\d+|ttyS\\d+|ttyAMA\\d+|ttySAC\\d+|ttyO\\d+|ttyMSM\\d+|ttymxc\\d+|"
                       "ttyTHS\\d+|ttyPS\\d+|ttyMV\\d+|ttyHS\\d+)$"));
    return pattern.match(name).hasMatch();
}

QString CanonicalOr(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

PortEnumerator::PortEnumerator(QString sysRoot, QString devRoot)
    : m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot)) {}

QStringList PortEnumerator::ConsolePorts() const {
    return ReadLine(m_sysRoot + QStringLiteral("/class/tty/console/active"))
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString PortEnumerator::UsbDevicePath(const QString& ttyName, QString* interfaceName) const {
    const QString classDir = m_sysRoot + QStringLiteral("/class/tty/") + ttyName;
    QString path = QFileInfo(classDir + QStringLiteral("/device")).canonicalFilePath();
    const QString sysDevices = QFileInfo(m_sysRoot).canonicalFilePath();

    // Walk up from the tty's device to the USB device that carries it, noting the interface's own name.
    while (!path.isEmpty() && path != sysDevices && path.startsWith(sysDevices)) {
        if (QFileInfo::exists(path + QStringLiteral("/idVendor")))
            return path;
        if (interfaceName->isEmpty())
            *interfaceName = ReadLine(path + QStringLiteral("/interface"));
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            break;
        path.truncate(slash);
    }
    return {};
}

PortInfo PortEnumerator::DescribeTty(const QString& ttyName, const QStringList& consoles) const {
    PortInfo info;
    info.name = m_devRoot + QLatin1Char('/') + ttyName;
    QString interfaceName;
    const QString usbDevice = UsbDevicePath(ttyName, &interfaceName);

    if (usbDevice.isEmpty() || consoles.contains(ttyName) || IsSystemTtyName(ttyName)) {
        info.kind = PortInfo::Kind::BuiltIn;
        return info;
    }
    QStringList parts;
    for (const QString& part : {ReadLine(usbDevice + QStringLiteral("/manufacturer")),
                                ReadLine(usbDevice + QStringLiteral("/product")), interfaceName}) {
        if (!part.isEmpty() && !parts.contains(part))
            parts << part;
    }
    info.description = parts.join(QLatin1Char(' '));
    return info;
}

std::vector<PortInfo> PortEnumerator::Enumerate() const {
    const QString classDir = m_sysRoot + QStringLiteral("/class/tty");
    const QStringList consoles = ConsolePorts();
    std::vector<PortInfo> ports;
    for (const QString& name : QDir(classDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = classDir + QLatin1Char('/') + name;
        if (!QFileInfo::exists(dir + QStringLiteral("/device")))
            continue; // virtual consoles, pseudo-terminals and the like have no device
        // The 8250 driver registers placeholder ports with no hardware behind them (type 0, "unknown").
        if (name.startsWith(QLatin1String("ttyS")) && ReadLine(dir + QStringLiteral("/type")) == QLatin1String("0"))
            continue;
        ports.push_back(DescribeTty(name, consoles));
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });
    return ports;
}

PortInfo PortEnumerator::Describe(const QString& path) const {
    PortInfo info;
    info.name = path;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || canonical.startsWith(QLatin1String("/dev/pts/")))
        return info; // a port that is not there yet fails when opened; a pseudo-terminal is a device
    const QString ttyName = QFileInfo(canonical).fileName();
    const QString classDir = m_sysRoot + QStringLiteral("/class/tty/") + ttyName;
    if (QFileInfo(canonical).path() == QFileInfo(m_devRoot).canonicalFilePath() &&
        QFileInfo::exists(classDir + QStringLiteral("/device"))) {
        info = DescribeTty(ttyName, ConsolePorts());
        info.name = path;
        return info;
    }
    if (IsSystemTtyName(ttyName) || ConsolePorts().contains(ttyName))
        info.kind = PortInfo::Kind::BuiltIn;
    return info;
}

std::optional<PortEnumerator::UsbDevice> PortEnumerator::UsbDeviceOf(const QString& path) const {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || QFileInfo(canonical).path() != QFileInfo(m_devRoot).canonicalFilePath())
        return std::nullopt;
    QString interfaceName;
    UsbDevice usb;
    usb.sysfsPath = UsbDevicePath(QFileInfo(canonical).fileName(), &interfaceName);
    if (usb.sysfsPath.isEmpty())
        return std::nullopt;
    usb.vendorId = ReadLine(usb.sysfsPath + QStringLiteral("/idVendor"));
    usb.productId = ReadLine(usb.sysfsPath + QStringLiteral("/idProduct"));
    usb.manufacturer = ReadLine(usb.sysfsPath + QStringLiteral("/manufacturer"));
    usb.product = ReadLine(usb.sysfsPath + QStringLiteral("/product"));
    // The ids go into udev rules as they are: four hex digits each, or the device is not taken.
    static const QRegularExpression hexId(QStringLiteral("^[0-9a-fA-F]{4}$"));
    if (!hexId.match(usb.vendorId).hasMatch() || !hexId.match(usb.productId).hasMatch())
        return std::nullopt;
    return usb;
}

std::vector<PortInfo> PortEnumerator::Merge(const std::vector<PortInfo>& enumerated,
                                            const std::vector<PortInfo>& added) {
    std::vector<PortInfo> ports;
    QSet<QString> seen;
    for (const std::vector<PortInfo>* list : {&enumerated, &added}) {
        for (const PortInfo& p : *list) {
            const QString key = CanonicalOr(p.name);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            ports.push_back(p);
        }
    }
    return ports;
}

bool PortEnumerator::NaturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            const QString na = a.mid(i, ei - i);
            const QString nb = b.mid(j, ej - j);
            const QString ta = na.size() > 1 ? QString(na).remove(QRegularExpression(QStringLiteral("^0+"))) : na;
            const QString tb = nb.size() > 1 ? QString(nb).remove(QRegularExpression(QStringLiteral("^0+"))) : nb;
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (ta != tb)
                return ta < tb;
            i = ei;
            j = ej;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
