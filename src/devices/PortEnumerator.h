#pragma once

#include "devices/PortInfo.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Lists the system's serial devices from sysfs (/sys/class/tty): every tty backed by a device, in natural
// name order (ttyACM2 before ttyACM10). USB ports get their maker, product and interface names as the
// description. Ports that are not on USB (ttyS*, ttyAMA* ...: built-in UARTs, placeholders of the 8250
// driver left out) and the console's ports are listed as built-in, never to be opened. The roots are
// parameters so that tests can build a tree of their own.
class PortEnumerator {
public:
    explicit PortEnumerator(QString sysRoot = QStringLiteral("/sys"), QString devRoot = QStringLiteral("/dev"));

    std::vector<PortInfo> Enumerate() const;
    // A port the user names by path (a device node, a symlink to one, a pseudo-terminal of a simulated
    // modem): described as the system describes its target when that is a listed tty, kept as given.
    PortInfo Describe(const QString& path) const;

    // The USB device that carries a port.
    struct UsbDevice {
        QString sysfsPath;    // the USB device's folder under sys/devices
        QString vendorId;     // idVendor: four hex digits, e.g. "12d1"
        QString productId;    // idProduct
        QString manufacturer; // may be empty
        QString product;      // may be empty
    };
    // The USB device of a port given by path (a symlink such as /dev/serial/by-id/... is followed first);
    // nullopt for a port that is not there, not a tty of devRoot, or not on USB.
    std::optional<UsbDevice> UsbDeviceOf(const QString& path) const;

    // The enumerated ports, then the added ones in their order, each device once: a port whose target is
    // already listed (the same device node through another path) is left out.
    static std::vector<PortInfo> Merge(const std::vector<PortInfo>& enumerated, const std::vector<PortInfo>& added);

    // Natural order of port names: digit runs compare as numbers.
    static bool NaturalLess(const QString& a, const QString& b);

private:
    PortInfo DescribeTty(const QString& ttyName, const QStringList& consoles) const;
    // The sysfs folder of the USB device carrying the tty, walking up from the tty's device; empty when it is
    // not on USB. *interfaceName gets the name of the USB interface passed on the way, if any.
    QString UsbDevicePath(const QString& ttyName, QString* interfaceName) const;
    QStringList ConsolePorts() const;

    QString m_sysRoot;
    QString m_devRoot;
};
