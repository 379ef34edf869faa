#pragma once

#include "sending/QuotaState.h"
#include "sending/RunDevice.h"

#include <QString>
#include <QStringList>

#include <mutex>
#include <utility>
#include <vector>

class MainDeviceState;
class ModemSlots;
class Prompter;
class QuotaState;
struct SendContext;

// Device preparation between the Send command's checks and the progress window: which selected devices
// take part in a run, found by opening each one as a test (CSMSSerialPort Open(5000, port) on the modem slot
// it will send from), with the failures reported and, when some devices still work, the question whether to
// go on without the others. Without quota management every selected device that opens takes part (Auto);
// with it, only the ticked devices of the quota settings that have a quota to send (Manual).
//
// Keeps the session's devices in use for the run ("<port> - <description>" entries, then "All Device")
// and answers the engine's quota calls; it must outlive the run it prepared. Prepare runs on the send
// worker's thread; the quota calls come from the device workers; every member locks.
class DevicePreparation {
public:
    static inline const QString& kAllDevice = RunDevice::kAllDevice;
    static const QString kAllFailed;
    static const QString kSomeFailed;
    static const QString kNoDevice;
    static const QString kCheckQuota;
    // The modem layer's open time-out for the test (ms).
    static constexpr int kOpenTimeoutMs = 5000;

    struct Result {
        bool ready = false;             // devices are open-tested and a run may start
        std::vector<RunDevice> devices; // the devices in use, in list order (no "All Device")
        QString selectedEntry;          // one device's entry, or "All Device"
    };

    DevicePreparation(ModemSlots& slots, Prompter& prompter, const MainDeviceState& devices, QuotaState& quota);

    // Auto or Manual preparation, by the quota check box. Empties the usage list first: quotas count per run.
    // selectedEntry is the device drop-down's selection: one device's entry or "All Device".
    [[nodiscard]] Result Prepare(const QString& selectedEntry, bool quotaManagement);
    [[nodiscard]] Result PrepareAuto(const QString& selectedEntry);
    [[nodiscard]] Result PrepareManual(const QString& selectedEntry);

    // The devices in use: the entries of the last preparation, then "All Device" (Auto: with two or more
    // devices; Manual: with any), less the devices used up since.
    QStringList DevicesInUse() const;

    // The engine's calls during the run (SendContext quotaFor, recordUsage, deviceLeft).
    DeviceQuota QuotaFor(const QString& port) const;
    void RecordUsage(const QString& port, int sent);
    // A device used up its Manual quota (or its port failed): its entry leaves the devices in use. Its
    // usage entry comes with its worker's end (RecordUsage).
    void DeviceUsedUp(const QString& entry);

    // Puts the result into a run's context: devices in use, selected entry and the three quota calls (which
    // refer to this object).
    void FillContext(const Result& result, SendContext& context);

private:
    // Opens each candidate as a test, then asks or refuses as the failures require; on success the devices
    // in use are the ones that opened.
    Result OpenAndConfirm(const std::vector<RunDevice>& candidates, const QString& selectedEntry, bool allAlways);

    ModemSlots& m_slots;
    Prompter& m_prompter;
    const MainDeviceState& m_devices;
    QuotaState& m_quota;

    mutable std::mutex m_mutex;
    QStringList m_inUse;
};
