#include "devices/MainDeviceState.h"

#include "devices/DeviceTexts.h"

void MainDeviceState::ReplaceSelection(std::vector<DeviceRecord> records) {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < records.size(); ++i) {
        DeviceRecord& r = records[i];
        r.slot = static_cast<int>(i);
        m_customSmsc.Set(r.portName, r.customSmsc, r.useCustomSmsc);
    }
    if (!records.empty())
        m_currentSmsMode = records.back().smsMode;
    m_records = std::move(records);
}

void MainDeviceState::Reset() {
    std::lock_guard lock(m_mutex);
    m_records.clear();
    m_currentSmsMode = DeviceRecord::kModeNotChosen;
    m_customSmsc.Clear();
}

std::vector<DeviceRecord> MainDeviceState::Records() const {
    std::lock_guard lock(m_mutex);
    return m_records;
}

std::optional<DeviceRecord> MainDeviceState::Record(int slot) const {
    std::lock_guard lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_records.size()))
        return std::nullopt;
    return m_records[static_cast<std::size_t>(slot)];
}

std::optional<DeviceRecord> MainDeviceState::RecordByPort(const QString& portName) const {
    std::lock_guard lock(m_mutex);
    for (const DeviceRecord& r : m_records) {
        if (r.portName == portName)
            return r;
    }
    return std::nullopt;
}

bool MainDeviceState::UpdateRecord(int slot, const std::function<void(DeviceRecord&)>& change) {
    std::lock_guard lock(m_mutex);
    if (slot < 0 || slot >= static_cast<int>(m_records.size()))
        return false;
    DeviceRecord& r = m_records[static_cast<std::size_t>(slot)];
    change(r);
    r.slot = slot;
    return true;
}

int MainDeviceState::DeviceCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_records.size());
}

QStringList MainDeviceState::DeviceEntries() const {
    std::lock_guard lock(m_mutex);
    QStringList entries;
    for (const DeviceRecord& r : m_records)
        entries << DeviceTexts::DeviceEntry(r);
    if (m_records.size() >= 2)
        entries << DeviceTexts::kAllDevice;
    return entries;
}

std::vector<int> MainDeviceState::SmsModesBySlot() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> modes;
    for (const DeviceRecord& r : m_records)
        modes.push_back(r.smsMode);
    return modes;
}

int MainDeviceState::CurrentSmsMode() const {
    std::lock_guard lock(m_mutex);
    return m_currentSmsMode;
}

void MainDeviceState::SetCurrentSmsMode(int smsMode) {
    std::lock_guard lock(m_mutex);
    m_currentSmsMode = smsMode;
}

QString MainDeviceState::SelectedDevicesText() const {
    std::lock_guard lock(m_mutex);
    QString text;
    for (const DeviceRecord& r : m_records)
        text += DeviceTexts::SelectedDeviceBlock(r);
    return text;
}
