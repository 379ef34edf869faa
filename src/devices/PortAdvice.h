#pragma once

#include "devices/PortEnumerator.h"

#include <QString>
#include <QStringList>

#include <vector>

class CSMSException;

// What a Linux user can do about a port the program could not use, in words they can act on: a device node
// they may not open (the group that owns it and the command that adds them to it) and a port that ModemManager
// holds or may be probing (the udev rule that keeps it away). The scan's port reports, the connection wizard
// and the command line show the same texts.
namespace PortAdvice {

// Who asks: the user and the groups of this process.
struct Identity {
    unsigned uid = 0;
    QString userName;
    std::vector<unsigned> groups; // the effective group and the supplementary ones

    static Identity Current();
};

// The advice for a port that failed: errorNumber is the open's errno (0 when the port opened but the device
// failed), holders are the processes holding the port (PortHolder::Holders) and running the ModemManager
// processes found (PortHolder::Running). Empty when there is nothing more to say than the error itself.
QString ForFailure(const QString& portName, int errorNumber, const QStringList& holders, const QStringList& running,
                   const Identity& identity = Identity::Current());

// The same for a modem-layer failure on a port, looking the holders up under procRoot.
QString ForException(const QString& portName, const CSMSException& exception,
                     const QString& procRoot = QStringLiteral("/proc"));

// Permission denied on a device node: the group that owns it (from stat, by name when the system knows it),
// whether the user is in it, and what to do:
//  - not in the group: "sudo usermod -aG <group> $USER", then log out and in;
//  - added to it after this session started: log out and in (or "newgrp <group>");
//  - in it, but the node's mode gives the group no read and write access: that.
// Empty when the node cannot be examined.
QString PermissionAdvice(const QString& portName, const Identity& identity = Identity::Current());

// ModemManager holds the port (holder is "ModemManager (pid N)") or, busy = true with no holder known, runs
// and may be probing it: that fact, `bulksms-cli udev-rule --port <port>` and stopping the service for now.
QString ModemManagerAdvice(const QString& portName, const QString& holder, bool busy);

// The process name of the modem service.
inline const QString kModemManager = QStringLiteral("ModemManager");

// A udev rules file that tells ModemManager to leave the USB device alone: comment lines saying what it does,
// where to save it and how to load it, then the rule
//   ATTRS{idVendor}=="xxxx", ATTRS{idProduct}=="yyyy", ENV{ID_MM_DEVICE_IGNORE}="1"
QString UdevRule(const PortEnumerator::UsbDevice& device);
// Where UdevRule's text is meant to be saved: /etc/udev/rules.d/70-vrix-bulk-sms-<vendor>-<product>.rules.
QString UdevRulePath(const PortEnumerator::UsbDevice& device);

} // namespace PortAdvice
