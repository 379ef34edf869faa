#pragma once

#include "devices/DeviceRecord.h"

#include <QString>

#include <vector>

// The texts through which device state is shown and compared: list entries, column values, the
// selected-devices blocks. One place, so that every window and the sending engine compare the same texts.
namespace DeviceTexts {

inline const QString kAllDevice = QStringLiteral("All Device");
inline const QString kPduMode = QStringLiteral("PDU Mode");
inline const QString kTextMode = QStringLiteral("Text Mode");
inline const QString kRequestTimeout = QStringLiteral("Request Timeout");
inline const QString kCannotAccess = QStringLiteral("Cannot access this port");

// "PDU Mode" (1), "Text Mode" (2) or empty.
QString SmsModeText(int smsMode);
// 1 for "PDU Mode", 2 for "Text Mode", 0 otherwise.
int SmsModeFromText(const QString& text);
// The mode preset for a device from its supported modes: PDU whenever PDU mode is offered (it carries
// Unicode text on every device that has it), text for a text-only device, none otherwise.
int PresetSmsMode(const QString& supportedSmsModes);
QString YesNo(bool yes);

// "<port> (<name>)", or "Unknown Device on <port>" without a name.
QString DisplayName(const QString& portName, const QString& name);
// The display name without the port it already names: "SIMCOM SIM800" for "/dev/ttyUSB0 (SIMCOM SIM800)",
// "Unknown Device" for "Unknown Device on /dev/ttyUSB0"; any other name as it is.
QString Description(const QString& portName, const QString& displayName);
// The device's entry in the device lists and its rows' "Current Status": "<port> - <description>", the port
// named once.
QString DeviceEntry(const DeviceRecord& record);
// The port of a device entry (the text before " - "); empty for "All Device".
QString PortOfEntry(const QString& entry);

// What became of a port the scan tried: kPortListed for a port that gave a device row, else why it was
// left out (its status: busy and held by whom, no answer to "AT", no SMS support, ...).
inline const QString kPortListed = QStringLiteral("Device found");
QString PortOutcome(bool listed, const QString& status);
// A port status that marks a port that failed during the scan (possibly with the holder named after it).
bool IsFailedPortStatus(const QString& status);

// One "Connected Device Details" block of the selected-devices text, read by the quota window.
QString SelectedDeviceBlock(const DeviceRecord& record);

// The connected device list of the scan: its column captions in order, with their widths in dialog units
// (0: hidden), and a row's values for them.
struct Column {
    QString caption;
    int width;
};
const std::vector<Column>& ScanColumns();
std::vector<QString> ScanRowValues(const DeviceRecord& record);

// A custom SMSC number is valid when, trimmed, it is not empty and holds "+" only as its first character.
// Callers store it trimmed.
bool IsValidCustomSmsc(const QString& number);

} // namespace DeviceTexts
