#include "sending/DevicePreparation.h"

#include "app/Prompter.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "modem/CSMSException.h"
#include "sending/ModemSlots.h"
#include "sending/QuotaSettings.h"
#include "sending/QuotaState.h"
#include "sending/SendRun.h"

const QString DevicePreparation::kAllFailed = QStringLiteral(
    "All Device not connected properly or not functioning.\n\nPlease use Mobile Phone Connection Wizard for finding "
    "device or establishing connection.");
const QString DevicePreparation::kSomeFailed = QStringLiteral(
    "Device not connected properly or Device not functioning.\n\nPlease use Mobile Phone Connection Wizard for "
    "finding device or establishing connection.\n\nOR\n\nDo you want to continue sending process with other "
    "connected device?");
const QString DevicePreparation::kNoDevice = QStringLiteral(
    "Either Mobile Device is not connected properly or No Mobile Phone Device is selected.\n\nPlease use Mobile "
    "Phone Connection Wizard for finding device or establishing connection.");
const QString DevicePreparation::kCheckQuota = QStringLiteral(
    "Please check your Quota Management settings.\n\nIn your Quota Management Settings, No device or Selected "
    "Device has not been assigned sufficient quota to send sms.");

namespace {
RunDevice MakeRunDevice(const DeviceRecord& record) {
    return {DeviceTexts::DeviceEntry(record), record};
}
} // namespace

DevicePreparation::DevicePreparation(ModemSlots& slots, Prompter& prompter, const MainDeviceState& devices,
                                     QuotaState& quota)
    : m_slots(slots), m_prompter(prompter), m_devices(devices), m_quota(quota) {}

DevicePreparation::Result DevicePreparation::Prepare(const QString& selectedEntry, bool quotaManagement) {
    m_quota.ClearUsage();
    return quotaManagement ? PrepareManual(selectedEntry) : PrepareAuto(selectedEntry);
}

DevicePreparation::Result DevicePreparation::PrepareAuto(const QString& selectedEntry) {
    std::vector<RunDevice> candidates;
    for (const DeviceRecord& record : m_devices.Records()) {
        RunDevice device = MakeRunDevice(record);
        if (selectedEntry == kAllDevice || device.entry == selectedEntry)
            candidates.push_back(std::move(device));
    }
    return OpenAndConfirm(candidates, selectedEntry, false);
}

DevicePreparation::Result DevicePreparation::PrepareManual(const QString& selectedEntry) {
    const bool all = selectedEntry == kAllDevice;
    const QString selectedPort = DeviceTexts::PortOfEntry(selectedEntry);
    std::vector<RunDevice> candidates;
    for (const QuotaSettings::Line& line : QuotaSettings::Parse(m_quota.SettingsText())) {
        if (!line.ticked || (line.IsManual() && QuotaSettings::AssignValue(line.assign) <= 0))
            continue;
        if (!all && line.port != selectedPort)
            continue;
        // A line left from an earlier selection names a device that is no longer selected: its record (SMS
        // mode, SMSC) is gone, so it cannot send.
        const std::optional<DeviceRecord> record = m_devices.RecordByPort(line.port);
        if (record)
            candidates.push_back(MakeRunDevice(*record));
    }
    if (candidates.empty()) {
        {
            std::lock_guard lock(m_mutex);
            m_inUse.clear();
        }
        m_prompter.Notice(kCheckQuota);
        return {};
    }
    return OpenAndConfirm(candidates, selectedEntry, true);
}

DevicePreparation::Result DevicePreparation::OpenAndConfirm(const std::vector<RunDevice>& candidates,
                                                            const QString& selectedEntry, bool allAlways) {
    {
        std::lock_guard lock(m_mutex);
        m_inUse.clear();
    }
    Result result;
    QString errors;
    int failures = 0;
    for (const RunDevice& device : candidates) {
        // Each device is tried on the slot it will send from; the run opens it again there.
        const int slot = static_cast<int>(result.devices.size());
        if (slot >= ModemSlots::kSlotCount)
            break;
        try {
            CSMSSerialPort& port = m_slots.SerialPort(slot);
            port.Open(kOpenTimeoutMs, device.record.portName);
            // Closed again at once: the port is opened exclusively, and the run may send through the other
            // transport of the slot ("Sent Non Overlapped"), which could not open it otherwise.
            port.Close();
            result.devices.push_back(device);
        } catch (const CSMSException& e) {
            errors += QStringLiteral("Error : ") + GetErrorText(e) + QLatin1Char('\n');
            ++failures;
        }
    }
    if (failures > 0) {
        if (result.devices.empty()) {
            m_prompter.Notice(errors + QLatin1Char('\n') + kAllFailed);
            return {};
        }
        if (!m_prompter.Confirm(errors + QLatin1Char('\n') + kSomeFailed))
            return {};
    }
    if (result.devices.empty()) {
        m_prompter.Notice(kNoDevice);
        return {};
    }
    QStringList entries;
    for (const RunDevice& device : result.devices)
        entries << device.entry;
    if (allAlways || entries.size() > 1)
        entries << kAllDevice;
    result.selectedEntry = entries.contains(selectedEntry) ? selectedEntry : entries.constLast();
    result.ready = true;
    std::lock_guard lock(m_mutex);
    m_inUse = entries;
    return result;
}

QStringList DevicePreparation::DevicesInUse() const {
    std::lock_guard lock(m_mutex);
    return m_inUse;
}

DeviceQuota DevicePreparation::QuotaFor(const QString& port) const {
    return m_quota.QuotaFor(port);
}

void DevicePreparation::RecordUsage(const QString& port, int sent) {
    m_quota.AddUsage(port, sent);
}

void DevicePreparation::DeviceUsedUp(const QString& entry) {
    std::lock_guard lock(m_mutex);
    m_inUse.removeAll(entry);
}

void DevicePreparation::FillContext(const Result& result, SendContext& context) {
    context.devicesInUse = result.devices;
    context.selectedEntry = result.selectedEntry;
    context.quotaFor = [this](const QString& port) { return QuotaFor(port); };
    context.recordUsage = [this](const QString& port, int sent) { RecordUsage(port, sent); };
    context.deviceLeft = [this](const QString& entry) { DeviceUsedUp(entry); };
}
