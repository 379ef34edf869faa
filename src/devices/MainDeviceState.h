#pragma once

#include "devices/CustomSmscStore.h"
#include "devices/DeviceRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The session's selected devices: one Device record per device (its slot is its index here), the device
// list entries with "All Device" when there are two or more, the SMS modes by slot, the SMS mode of the last
// choice, the custom SMSC store and the selected-devices text that the quota window reads. Changed by the
// device windows, read by the sending engine from its threads: every call locks, and readers get copies.
class MainDeviceState {
public:
    // The devices given replace the whole selection together; slots are renumbered from 0 in that order and
    // each port's custom SMSC entry is written ("||Y" when its custom number is in use, else "||N").
    void ReplaceSelection(std::vector<DeviceRecord> records);
    // Forgets every device and clears the custom SMSC store.
    void Reset();

    std::vector<DeviceRecord> Records() const;
    std::optional<DeviceRecord> Record(int slot) const;
    std::optional<DeviceRecord> RecordByPort(const QString& portName) const;
    // Applies change to the record of the slot under the lock; false for an unknown slot.
    bool UpdateRecord(int slot, const std::function<void(DeviceRecord&)>& change);
    int DeviceCount() const;

    // One "<port> - <display name>" per device, then "All Device" when there are two or more.
    QStringList DeviceEntries() const;
    std::vector<int> SmsModesBySlot() const;
    int CurrentSmsMode() const;
    void SetCurrentSmsMode(int smsMode);
    // One "Connected Device Details" block per device, in slot order, from the records as they are now.
    QString SelectedDevicesText() const;

    CustomSmscStore& CustomSmsc() { return m_customSmsc; }
    const CustomSmscStore& CustomSmsc() const { return m_customSmsc; }

private:
    mutable std::mutex m_mutex;
    std::vector<DeviceRecord> m_records;
    int m_currentSmsMode = DeviceRecord::kModeNotChosen;
    CustomSmscStore m_customSmsc;
};
