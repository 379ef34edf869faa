#pragma once

#include "devices/DeviceRecord.h"
#include "devices/PortInfo.h"
#include "devices/ScanObserver.h"
#include "modem/ModemTiming.h"

#include <QString>

#include <atomic>
#include <vector>

// The port scan's per-port test, port after port on the calling thread, each on a discovery port of its
// own opened with the scan's reply time-out: "AT" must be answered (an echo that came back counts), the
// model is read, AT+CSMS=? and AT+CMGS=? must both be answered "OK", the IMEI is read and a device already
// listed under the same IMEI (a phone offering several ports) is left out; then the device is reset and
// its details are read into a row. Built-in ports are never opened; a port that fails in any way is left
// out with the reason in its report, and the scan goes on with the next.
class PortScanner {
public:
    struct Options {
        int replyTimeoutMs = 1000;
        ModemTiming timing = ModemTiming::Fast();
        QString procRoot = QStringLiteral("/proc"); // where a busy port's holders are looked up
    };
    struct Result {
        std::vector<DeviceRecord> rows;
        std::vector<ScanPortReport> ports;
        bool stopped = false;
    };

    // Reasons a port is left out, besides "Request Timeout" and "Cannot access this port".
    inline static const QString kBuiltInPort = QStringLiteral("Not opened: built-in serial port");
    inline static const QString kLoggingPort = QStringLiteral("Skipped: Mobile Logging port");
    inline static const QString kNoSmsSupport = QStringLiteral("No SMS capabilities (AT+CSMS=? / AT+CMGS=?)");
    inline static const QString kSameImei = QStringLiteral("Same device as %1 (IMEI %2)");
    inline static const QString kStopped = QStringLiteral("Not examined: scan stopped");

    PortScanner() = default;
    explicit PortScanner(Options options) : m_options(std::move(options)) {}

    // Examines every port in order. Between ports, a set stop flag ends the scan (the remaining ports are
    // reported as not examined). observer and stop may be null.
    Result ScanPorts(const std::vector<PortInfo>& ports, ScanObserver* observer,
                     const std::atomic<bool>* stop = nullptr) const;

    // The details text of a row: "COM Port :<port>\nCom Port Details :<display name>\n", the queried
    // details, and "SMS Capabilities : Yes\n".
    static QString RowDetails(const QString& portName, const QString& displayName, const QString& queried);
    // A row from its details text: SMSC columns from "Default SMSC No. :", supported modes from
    // "Supported SMS Mode :", the SMS mode preset from those.
    // The device's name from its details text: maker and model ("SIMCOM SIM800"), the model alone when it names
    // the maker already; empty when the device gave neither.
    static QString DeviceName(const QString& details);
    static DeviceRecord MakeRow(const PortInfo& port, const QString& details, const QString& imei);

private:
    ScanPortReport Examine(const PortInfo& port, const std::vector<DeviceRecord>& rows, DeviceRecord* row) const;

    Options m_options;
};
