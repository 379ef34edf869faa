#pragma once

#include "devices/DeviceRecord.h"
#include "devices/PortInfo.h"

#include <QString>

// What became of one port in a scan.
struct ScanPortReport {
    PortInfo port;
    QString displayName;
    QString status; // empty for a port that became a device row, else why it was left out
    QString advice; // what the user can do about a port that failed (PortAdvice), else empty
    bool listed = false;
};

// Progress of a port scan, called on the scanning thread: a window turns the calls into queued signals,
// the command line prints them. Every call has an empty default.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // The ports to examine (the progress bar's range).
    virtual void OnScanStarted(int portCount) { static_cast<void>(portCount); }
    virtual void OnPortStarted(int index, const PortInfo& port) {
        static_cast<void>(index);
        static_cast<void>(port);
    }
    // One step of the progress bar.
    virtual void OnPortDone(int index, const ScanPortReport& report) {
        static_cast<void>(index);
        static_cast<void>(report);
    }
    // A device row, to add and select.
    virtual void OnRowAdded(const DeviceRecord& row) { static_cast<void>(row); }
    virtual void OnScanFinished(bool stopped, int rowCount) {
        static_cast<void>(stopped);
        static_cast<void>(rowCount);
    }
};
