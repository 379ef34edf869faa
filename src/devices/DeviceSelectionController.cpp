#include "devices/DeviceSelectionController.h"

#include "app/Prompter.h"
#include "devices/DetailsText.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceQueries.h"
#include "devices/DeviceTestMessage.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"

#include <algorithm>

#include <QStringList>

// Keeps the rows as the scan thread finds them, then passes each call on to the window's observer.
class DeviceSelectionController::Recorder final : public ScanObserver {
public:
    Recorder(DeviceSelectionController& owner, ScanObserver* next) : m_owner(owner), m_next(next) {}
    void OnScanStarted(int portCount) override {
        if (m_next)
            m_next->OnScanStarted(portCount);
    }
    void OnPortStarted(int index, const PortInfo& port) override {
        if (m_next)
            m_next->OnPortStarted(index, port);
    }
    void OnPortDone(int index, const ScanPortReport& report) override {
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_reports.push_back(report);
        }
        if (m_next)
            m_next->OnPortDone(index, report);
    }
    void OnRowAdded(const DeviceRecord& row) override {
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_rows.push_back(row);
        }
        if (m_next)
            m_next->OnRowAdded(row);
    }
    void OnScanFinished(bool stopped, int rowCount) override {
        if (m_next)
            m_next->OnScanFinished(stopped, rowCount);
    }

private:
    DeviceSelectionController& m_owner;
    ScanObserver* m_next;
};

DeviceSelectionController::DeviceSelectionController(MainDeviceState& devices, Prompter& prompter, PortSource ports,
                                                     Options options)
    : m_devices(devices), m_prompter(prompter), m_ports(std::move(ports)), m_options(std::move(options)) {}

DeviceSelectionController::DeviceSelectionController(MainDeviceState& devices, Prompter& prompter, PortSource ports)
    : DeviceSelectionController(devices, prompter, std::move(ports), Options{}) {}

DeviceSelectionController::~DeviceSelectionController() {
    StopScan();
    WaitForScan();
}

void DeviceSelectionController::WaitForScan() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void DeviceSelectionController::RunScan(ScanObserver* observer) {
    {
        std::lock_guard lock(m_mutex);
        m_rows.clear();
        m_reports.clear();
    }
    const std::vector<PortInfo> ports = m_ports ? m_ports() : std::vector<PortInfo>{};
    QStringList names;
    for (const PortInfo& p : ports)
        names << p.name;
    m_devices.CustomSmsc().Rebuild(names);

    PortScanner::Options options;
    options.replyTimeoutMs = m_options.scanTimeoutMs;
    options.timing = m_options.timing;
    options.procRoot = m_options.procRoot;
    Recorder recorder(*this, observer);
    const PortScanner::Result result = PortScanner(options).ScanPorts(ports, &recorder, &m_stop);
    if (result.rows.empty() && !result.stopped)
        m_prompter.Notice(DeviceMessages::kNoDeviceFound);
}

bool DeviceSelectionController::StartScan(ScanObserver* observer) {
    if (m_scanning.exchange(true))
        return false;
    WaitForScan(); // the thread of a finished scan
    m_stop.store(false);
    m_thread = std::thread([this, observer] {
        RunScan(observer);
        m_scanning.store(false);
    });
    return true;
}

PortScanner::Result DeviceSelectionController::ScanNow(ScanObserver* observer) {
    PortScanner::Result result;
    if (m_scanning.exchange(true))
        return result;
    WaitForScan();
    m_stop.store(false);
    RunScan(observer);
    m_scanning.store(false);
    std::lock_guard lock(m_mutex);
    result.rows = m_rows;
    result.ports = m_reports;
    result.stopped = m_stop.load();
    return result;
}

bool DeviceSelectionController::OnStop() {
    if (!IsScanning())
        return true;
    if (!m_prompter.Confirm(DeviceMessages::kStopScan))
        return false;
    StopScan();
    return true;
}

bool DeviceSelectionController::OnSearchAgain(ScanObserver* observer) {
    if (IsScanning()) {
        if (!m_prompter.Confirm(DeviceMessages::kTerminateScan))
            return false;
        StopScan();
        WaitForScan();
    }
    return StartScan(observer);
}

bool DeviceSelectionController::OnClose() {
    if (IsScanning()) {
        if (!m_prompter.Confirm(DeviceMessages::kTerminateScan))
            return false;
        StopScan();
        WaitForScan();
    }
    return true;
}

std::vector<DeviceRecord> DeviceSelectionController::Rows() const {
    std::lock_guard lock(m_mutex);
    return m_rows;
}

std::vector<ScanPortReport> DeviceSelectionController::PortReports() const {
    std::lock_guard lock(m_mutex);
    return m_reports;
}

bool DeviceSelectionController::ValidRow(int row) const {
    std::lock_guard lock(m_mutex);
    return row >= 0 && row < static_cast<int>(m_rows.size());
}

std::vector<QPair<QString, QString>> DeviceSelectionController::DetailPairs(int row) const {
    if (!ValidRow(row))
        return {};
    QString details;
    {
        std::lock_guard lock(m_mutex);
        details = m_rows[static_cast<std::size_t>(row)].details;
    }
    return DetailsText::Pairs(details);
}

bool DeviceSelectionController::SetRowSmsMode(int row, int smsMode) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return false;
    m_rows[static_cast<std::size_t>(row)].smsMode = smsMode;
    return true;
}

bool DeviceSelectionController::OnSaveCustomSmsc(int row, const QString& number) {
    if (!ValidRow(row)) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    if (!DeviceTexts::IsValidCustomSmsc(number)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }
    QString port;
    {
        std::lock_guard lock(m_mutex);
        DeviceRecord& r = m_rows[static_cast<std::size_t>(row)];
        r.customSmsc = number.trimmed();
        r.useCustomSmsc = true;
        r.smscNumber = r.customSmsc;
        port = r.portName;
    }
    m_devices.CustomSmsc().Set(port, number.trimmed(), true);
    m_prompter.Notice(DeviceMessages::kCustomSmscSaved.arg(port));
    return true;
}

bool DeviceSelectionController::OnResetCustomSmsc(int row) {
    if (!ValidRow(row)) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    QString port;
    {
        std::lock_guard lock(m_mutex);
        DeviceRecord& r = m_rows[static_cast<std::size_t>(row)];
        r.customSmsc.clear();
        r.useCustomSmsc = false;
        r.smscNumber = r.defaultSmsc;
        port = r.portName;
    }
    m_devices.CustomSmsc().Remove(port);
    m_prompter.Notice(DeviceMessages::kCustomSmscReset.arg(port));
    return true;
}

std::optional<DeviceRecord> DeviceSelectionController::CheckForUse(const DeviceRecord& row,
                                                                   const CustomSmscChoice& custom) {
    try {
        CSMSSerialPort port;
        port.SetTiming(m_options.timing);
        port.Open(m_options.deviceTimeoutMs, row.portName);
        if (!DeviceQueries(port).CheckAt())
            CSMSException::ThrowNoResponse();
        if (DetailsText::CapabilitiesNotDetected(row.details) &&
            !m_prompter.Confirm(DeviceMessages::kNoSmsCapabilitiesQuestion))
            return std::nullopt;
        port.ResetModem();

        // The "Custom SMSC :" check box and field decide, for every device taken with them.
        DeviceRecord record = row;
        record.defaultSmsc = DetailsText::GetDefaultSmsc(row.details);
        record.useCustomSmsc = custom.checked;
        record.customSmsc = custom.checked ? custom.number.trimmed() : QString();
        if (record.defaultSmsc.isEmpty() && !record.useCustomSmsc &&
            !m_prompter.Confirm(DeviceMessages::kNoDefaultSmsc))
            return std::nullopt;
        record.smscNumber = record.useCustomSmsc ? record.customSmsc : record.defaultSmsc;
        return record;
    } catch (const CSMSException& e) {
        m_prompter.Notice(DeviceMessages::DeviceErrorMessage(GetErrorText(e)));
        return std::nullopt;
    }
}

bool DeviceSelectionController::OnUseSelectedDevice(const std::vector<int>& rows, const CustomSmscChoice& custom) {
    if (IsScanning())
        return false; // the discovery port is the scan's until it ends
    std::vector<DeviceRecord> chosen;
    for (int row : rows) {
        if (!ValidRow(row))
            continue;
        std::lock_guard lock(m_mutex);
        chosen.push_back(m_rows[static_cast<std::size_t>(row)]);
    }
    if (chosen.empty()) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return false;
    }
    // A port that failed during the scan is refused before anything else is checked.
    std::erase_if(chosen, [this](const DeviceRecord& r) {
        if (!DeviceTexts::IsFailedPortStatus(r.portStatus))
            return false;
        m_prompter.Notice(DeviceMessages::kDeviceNotWorking);
        return true;
    });
    if (chosen.empty())
        return false;
    if (custom.checked && !DeviceTexts::IsValidCustomSmsc(custom.number)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }

    std::vector<DeviceRecord> accepted;
    for (const DeviceRecord& row : chosen) {
        if (std::optional<DeviceRecord> record = CheckForUse(row, custom))
            accepted.push_back(*record);
    }
    if (accepted.empty())
        return false;
    m_devices.ReplaceSelection(std::move(accepted));
    return true;
}

bool DeviceSelectionController::OnContinueWithoutDeviceSelection(bool smsModeChosen) {
    if (IsScanning() && !OnClose())
        return false;
    bool hasRows = false;
    {
        std::lock_guard lock(m_mutex);
        hasRows = !m_rows.empty();
    }
    if (hasRows && !smsModeChosen)
        return m_prompter.Confirm(DeviceMessages::kSmsModeBlank);
    return true;
}

QString DeviceSelectionController::OnSendTestMessage(int row, const QString& phoneNumber,
                                                     const CustomSmscChoice& custom) {
    if (IsScanning())
        return {};
    if (!ValidRow(row)) {
        m_prompter.Notice(DeviceMessages::kSelectValidDevice);
        return {};
    }
    if (custom.checked && !DeviceTexts::IsValidCustomSmsc(custom.number)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return {};
    }
    DeviceRecord record;
    {
        std::lock_guard lock(m_mutex);
        record = m_rows[static_cast<std::size_t>(row)];
    }
    const QString smsc =
        custom.checked ? custom.number.trimmed() : (record.useCustomSmsc ? record.customSmsc : QString());
    DeviceTestMessage::Options options;
    options.replyTimeoutMs = m_options.deviceTimeoutMs;
    options.timing = m_options.timing;
    return DeviceTestMessage(m_prompter, options).Send(record, phoneNumber, smsc);
}

std::vector<int> DeviceSelectionController::RowsToSelect(const std::vector<int>& selected) const {
    const std::vector<DeviceRecord> rows = Rows();
    std::vector<int> chosen = selected;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QString& imei = rows[static_cast<size_t>(r)].imei;
        if (!imei.isEmpty() && m_options.rememberedImeis.contains(imei) &&
            std::find(chosen.begin(), chosen.end(), r) == chosen.end())
            chosen.push_back(r);
    }
    if (chosen.empty() && !rows.empty())
        chosen.push_back(static_cast<int>(rows.size()) - 1);
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}
