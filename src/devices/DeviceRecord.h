#pragma once

#include <QString>

// One device taken into use (or one row of the device lists): where it sits, what it is and how to send
// through it. Shared by the device windows and the sending engine; a plain value, copied freely. The port is
// named by its system name (its device path, e.g. /dev/ttyUSB0), which every text shows as the port.
struct DeviceRecord {
    enum SmsMode { kModeNotChosen = 0, kModePdu = 1, kModeText = 2 };

    int slot = -1;       // index into the session's per-device arrays (modem slots, modes)
    QString portName;    // e.g. "/dev/ttyUSB0"
    QString displayName; // "<port> (<name>)" or "Unknown Device on <port>"
    QString details;     // the details text (DetailsText), with the scan's port lines first
    QString portStatus;  // empty, "Request Timeout" or "Cannot access this port"
    QString smscNumber;  // in use: the custom number when one is saved and in use, else the default
    QString imei;
    int smsMode = kModeNotChosen; // SmsMode
    QString defaultSmsc;          // the "Default SMSC No. :" value of the details
    QString supportedSmsModes;    // "PDU Mode", "Text Mode", "PDU Mode & Text Mode" or "None"
    bool useCustomSmsc = false;   // shown as "Y" / "N"
    QString customSmsc;
};
