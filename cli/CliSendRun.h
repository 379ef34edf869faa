#pragma once

#include "sending/SendJob.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

#include "CliCommand.h"

#include <optional>

class Session;
struct SendContext;

// What `send` and `resume` share: choosing the devices on the given ports and running a prepared run to its
// end with its rows printed.

// The given ports through the device selection, each device with its SMS mode and custom SMSC as given; a
// port's scan status and advice go to stderr. False when no port holds a usable device.
bool CliSelectDevices(Session& session, const QStringList& ports, const std::map<QString, QString>& modes,
                      const std::map<QString, QString>& smscs);

// Opens the run and waits for its end, showing it as CliSendObserver does (a progress line on a terminal; with
// json, each row as a JSON object the moment its result is final). Without json, at the end each row (number,
// current status, status, retry; tab-separated) and the progress label go to stdout. Then calls afterRun with
// the job. True when the run had rows and every row was sent.
bool CliRunToEnd(Session& session, SendContext context, bool json,
                 const std::function<void(const SendJob&)>& afterRun = {});

// --reconnect-wait SECONDS, shared by send and resume.
inline const CliOption kReconnectWaitOption{
    QStringLiteral("reconnect-wait"), QStringLiteral("SECONDS"),
    QStringLiteral("How long a device that is unplugged or reset during the run is waited for (found again by its "
                   "IMEI on any port) before it leaves the run; 0 does not wait (default 60, a resume keeps the "
                   "run's).")};
// The value given, nullopt when the option is absent; false with *error for anything but 0..3600 seconds.
bool CliReconnectWait(const CliArgs& a, std::optional<int>* seconds, QString* error);
