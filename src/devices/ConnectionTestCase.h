#pragma once

#include "devices/DeviceRecord.h"

#include <QString>

#include <vector>

// One combination of SMS mode and SMSC tried by the connection test.
struct ConnectionTestCase {
    QString name;        // "PDU_DEF_SMSC", "PDU_CUS_SMSC", "TXT_DEF_SMSC" or "TXT_CUS_SMSC"
    QString description; // e.g. "PDU Mode with Default SMSC"
    QString label;       // "Case %d:", numbered from 1 in list order
    QString caseSms;     // the message sent: "<description> is working for Device Model: <model>"
    QString status;      // empty until run: "Message sent successfully." or "Error : <text>"
    bool ticked = true;

    bool UsesCustomSmsc() const { return name.contains(QLatin1String("CUS_SMSC")); }
    int SmsMode() const {
        return name.startsWith(QLatin1String("TXT")) ? DeviceRecord::kModeText : DeviceRecord::kModePdu;
    }

    // The cases that apply to a device, in the fixed order: PDU before text, default before custom SMSC; a
    // mode's cases only when the device's supported modes name it, a default-SMSC case only when the device
    // has a default SMSC.
    static std::vector<ConnectionTestCase> ListFor(const DeviceRecord& device);
};
