#pragma once

#include "sending/SendJob.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class Session;
struct SendContext;

// What `send` and `resume` share: choosing the devices on the given ports and running a prepared run to its
// end with its rows printed.

// The given ports through the device selection, each device with its SMS mode and custom SMSC as given.
// False when no port holds a usable device.
bool CliSelectDevices(Session& session, const QStringList& ports, const std::map<QString, QString>& modes,
                      const std::map<QString, QString>& smscs);

// Opens the run, waits for its end and prints each row (number, current status, status, retry) and the
// progress label on stdout, progress and diagnostics on stderr; then calls afterRun with the job. True when
// every row was sent.
bool CliRunToEnd(Session& session, SendContext context, const std::function<void(const SendJob&)>& afterRun = {});
