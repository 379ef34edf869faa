#pragma once

#include <QString>
#include <QStringList>

// Finds which other processes hold a port, so that a busy port can say what to stop ("ModemManager (pid
// 812)"): the processes with an advisory lock on the device node (/proc/locks) when there are any, else every
// process with the node open (/proc/<pid>/fd links). Our own process is never named: a port we hold
// ourselves is busy for another reason. Processes whose fds we may not read are not found.
namespace PortHolder {

// "<name> (pid <pid>)" for every other process holding the port's device node, in pid order.
QStringList Holders(const QString& portName, const QString& procRoot = QStringLiteral("/proc"));

// "<name> (pid <pid>)" for every other process whose command name (procRoot/<pid>/comm) is processName, in pid
// order: a service that may take ports even when the ones it holds cannot be seen.
QStringList Running(const QString& processName, const QString& procRoot = QStringLiteral("/proc"));

// The status of a port that could not be opened: "Cannot access this port", followed in parentheses by the
// system's error text and "in use by <holders>" when the holders are known, e.g.
// "Cannot access this port (Device or resource busy; in use by ModemManager (pid 812))".
QString CannotAccessStatus(const QString& portName, const QString& errorText,
                           const QString& procRoot = QStringLiteral("/proc"));

} // namespace PortHolder
