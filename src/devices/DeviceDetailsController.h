#pragma once

#include "devices/DeviceRecord.h"
#include "devices/DeviceTestMessage.h"

#include <QPair>
#include <QString>

#include <vector>

class MainDeviceState;
class Prompter;

// The logic of the "Selected Device Details" window over the main window's Device records: custom SMSC save
// and reset, the SMS mode, the test message and the way to the connection test. A row is a device slot;
// -1 means no row is selected.
class DeviceDetailsController {
public:
    DeviceDetailsController(MainDeviceState& devices, Prompter& prompter, DeviceTestMessage::Options options);

    // The list's columns, in order, and a record's values for them.
    static const std::vector<QString>& Columns();
    static std::vector<QString> RowValues(const DeviceRecord& record);
    // The record's lines as the details list shows them ("Com Port: " ... "USE CUS SMSC: ", each with its value).
    static std::vector<QPair<QString, QString>> RecordLines(const DeviceRecord& record);

    // "Save" beside "Custom SMSC No. :": the selected row's device, or the device on portField without one.
    bool OnSaveCustomSmsc(int slot, const QString& portField, const QString& number);
    // "Reset": back to the default SMSC.
    bool OnResetCustomSmsc(int slot, const QString& portField);
    // The "PDU Mode" / "Text Mode" radio buttons.
    bool OnSmsModeChanged(int slot, int smsMode);
    // "Send": the test message through the device with its own settings.
    QString OnSendTestMessage(int slot, const QString& phoneNumber);
    // "Advanced Connection Troubleshooting": true when the user agreed and the connection test may open.
    bool OnAdvancedTroubleshooting(int slot);

private:
    std::optional<DeviceRecord> Target(int slot, const QString& portField) const;

    MainDeviceState& m_devices;
    Prompter& m_prompter;
    DeviceTestMessage::Options m_options;
};
