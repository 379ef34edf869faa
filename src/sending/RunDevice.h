#pragma once

#include "devices/DeviceRecord.h"

#include <QString>

// One device in use for a run: its entry in the device list ("<port> - <description>") and its record.
struct RunDevice {
    QString entry;
    DeviceRecord record;

    static inline const QString kAllDevice = QStringLiteral("All Device");
    // The port named by an entry: the text before " - ".
    static QString PortOfEntry(const QString& entry) { return entry.section(QStringLiteral(" - "), 0, 0); }
};
