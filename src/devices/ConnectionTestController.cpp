#include "devices/ConnectionTestController.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"
#include "app/Prompter.h"
#include "devices/DetailsText.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "exclusion/NumberText.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sms/SmsTransport.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionResult.h"

#include <algorithm>
#include <chrono>

ConnectionTestController::ConnectionTestController(MainDeviceState& devices, Prompter& prompter, int slot,
                                                   Options options)
    : m_devices(devices), m_prompter(prompter), m_slot(slot), m_options(std::move(options)) {
    if (const std::optional<DeviceRecord> record = m_devices.Record(slot)) {
        m_device = *record;
        m_hasDevice = true;
        m_cases = ConnectionTestCase::ListFor(m_device);
    }
}

ConnectionTestController::ConnectionTestController(MainDeviceState& devices, Prompter& prompter, int slot)
    : ConnectionTestController(devices, prompter, slot, Options{}) {}

ConnectionTestController::~ConnectionTestController() {
    OnStop();
    WaitForTest();
}

std::vector<ConnectionTestCase> ConnectionTestController::Cases() const {
    std::lock_guard lock(m_mutex);
    return m_cases;
}

void ConnectionTestController::SetTicked(int index, bool ticked) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < static_cast<int>(m_cases.size()))
        m_cases[static_cast<std::size_t>(index)].ticked = ticked;
}

QString ConnectionTestController::StatusLabel() const {
    std::lock_guard lock(m_mutex);
    return m_label;
}

QString ConnectionTestController::StartButtonCaption() const {
    return DeviceMessages::kStartTestCaption.arg(m_device.portName);
}

void ConnectionTestController::SetLabel(const QString& text, ConnectionTestObserver* observer) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stop.load() && text != DeviceMessages::kStatusStopped)
            return; // once stopped, the label says so until the next test
        m_label = text;
    }
    if (observer)
        observer->OnStatusLabel(text);
}

bool ConnectionTestController::RefuseWhileRunning() {
    if (!IsRunning())
        return false;
    m_prompter.Notice(DeviceMessages::kTestInProgress);
    return true;
}

bool ConnectionTestController::Validate(const QString& phoneNumber, const QString& customSmsc, QString* number) {
    if (!m_hasDevice) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    if (DetailsText::CapabilitiesNotDetected(m_device.details)) {
        m_prompter.Notice(DeviceMessages::kNoSmsCapabilitiesRefusal);
        return false;
    }
    bool customTicked = false;
    {
        std::lock_guard lock(m_mutex);
        for (const ConnectionTestCase& c : m_cases)
            customTicked = customTicked || (c.ticked && c.UsesCustomSmsc());
    }
    // The custom number matters only to the cases that send with it.
    if (customTicked && !DeviceTexts::IsValidCustomSmsc(customSmsc)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }
    *number = NormalizeNumber(phoneNumber).trimmed();
    if (!IsValidNumberText(*number)) {
        m_prompter.Notice(DeviceMessages::kInvalidTestNumber);
        return false;
    }
    return true;
}

bool ConnectionTestController::Begin(const QString& phoneNumber, const QString& customSmsc, QString* number) {
    if (RefuseWhileRunning() || !Validate(phoneNumber, customSmsc, number))
        return false;
    WaitForTest(); // the thread of a finished run
    m_stop.store(false);
    m_running.store(true);
    return true;
}

bool ConnectionTestController::OnStartTest(const QString& phoneNumber, const QString& customSmsc,
                                           ConnectionTestObserver* observer) {
    QString number;
    if (!Begin(phoneNumber, customSmsc, &number))
        return false;
    m_thread = std::thread([this, number, customSmsc, observer] {
        Run(number, customSmsc.trimmed(), observer);
        m_running.store(false);
    });
    return true;
}

bool ConnectionTestController::RunTest(const QString& phoneNumber, const QString& customSmsc,
                                       ConnectionTestObserver* observer) {
    QString number;
    if (!Begin(phoneNumber, customSmsc, &number))
        return false;
    Run(number, customSmsc.trimmed(), observer);
    m_running.store(false);
    return true;
}

void ConnectionTestController::OnStop() {
    if (!IsRunning())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
        m_label = DeviceMessages::kStatusStopped;
    }
    m_wake.notify_all();
}

void ConnectionTestController::WaitForTest() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool ConnectionTestController::PauseUnlessStopped(int ms) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(std::max(ms, 0)), [this] { return m_stop.load(); });
}

void ConnectionTestController::Run(const QString& number, const QString& customSmsc, ConnectionTestObserver* observer) {
    std::vector<ConnectionTestCase> cases;
    {
        std::lock_guard lock(m_mutex);
        for (ConnectionTestCase& c : m_cases)
            c.status.clear();
        cases = m_cases;
    }
    SetLabel(DeviceMessages::kStatusConnecting, observer);
    const std::unique_ptr<SmsTransport> transport = MakeSmsTransport(m_options.nonOverlapped, m_options.replyTimeoutMs);
    transport->SetTiming(m_options.timing);
    try {
        transport->Open(m_device.portName);
    } catch (const CSMSException& e) {
        SetLabel(DeviceMessages::kStatusConnectFailed, observer);
        m_prompter.Notice(DeviceMessages::DeviceErrorMessage(GetErrorText(e)));
        if (observer)
            observer->OnTestFinished(false);
        return;
    }
    const DeviceCollection::Hold collecting(m_options.collection, *transport);
    SetLabel(DeviceMessages::kStatusInitialize, observer);

    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (m_stop.load())
            break;
        const ConnectionTestCase& c = cases[i];
        if (!c.ticked)
            continue;
        const int index = static_cast<int>(i);
        SetLabel(DeviceMessages::kStatusExecuteCase.arg(index + 1).arg(c.description), observer);
        if (observer)
            observer->OnCaseStarted(index);

        SmsRequest request;
        request.message = c.caseSms;
        request.recipientNumber = number;
        request.smscNumber = c.UsesCustomSmsc() ? customSmsc : QString();
        request.UseCallerSettings = 1;
        QString status;
        try {
            transport->ResetModem();
            transport->Submit(request, c.SmsMode() == DeviceRecord::kModeText ? SmsMode::Text : SmsMode::Pdu);
            status = SubmissionResult::kSentSuccessfully;
        } catch (const CSMSException& e) {
            status = QStringLiteral("Error : ") + GetErrorText(e);
        }
        {
            std::lock_guard lock(m_mutex);
            m_cases[i].status = status;
        }
        if (observer)
            observer->OnCaseFinished(index, status);
        PauseUnlessStopped(m_options.afterCaseMs);
    }
    if (m_stop.load())
        SetLabel(DeviceMessages::kStatusStopped, observer);
    if (observer)
        observer->OnTestFinished(m_stop.load());
}

bool ConnectionTestController::OnUseSelectedCase(int index, const QString& customSmsc) {
    if (RefuseWhileRunning())
        return false;
    ConnectionTestCase c;
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= static_cast<int>(m_cases.size())) {
            m_prompter.Notice(DeviceMessages::kSelectCase);
            return false;
        }
        c = m_cases[static_cast<std::size_t>(index)];
    }
    if (!m_hasDevice) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    const QString custom = customSmsc.trimmed();
    if (c.UsesCustomSmsc() && !DeviceTexts::IsValidCustomSmsc(custom)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }
    if (!m_prompter.Confirm(DeviceMessages::kConfirmCase.arg(c.description, m_device.displayName, m_device.portName)))
        return false;

    const bool useCustom = c.UsesCustomSmsc();
    const int mode = c.SmsMode();
    m_devices.UpdateRecord(m_slot, [&](DeviceRecord& r) {
        r.smsMode = mode;
        // A default-SMSC case means the device's own SMSC: a custom number saved earlier stays, unused.
        r.useCustomSmsc = useCustom;
        if (useCustom)
            r.customSmsc = custom;
        r.smscNumber = useCustom ? r.customSmsc : r.defaultSmsc;
    });
    if (const std::optional<DeviceRecord> r = m_devices.Record(m_slot)) {
        m_devices.CustomSmsc().Set(r->portName, r->customSmsc, r->useCustomSmsc);
        m_device = *r;
    }
    m_applied = true;
    m_prompter.Notice(DeviceMessages::kCaseApplied.arg(c.description, m_device.displayName));
    return true;
}

QString ConnectionTestController::OnSaveLog(const QString& chosenPath) {
    if (RefuseWhileRunning())
        return {};
    const std::vector<ConnectionTestCase> cases = Cases();
    const bool executed = std::any_of(cases.begin(), cases.end(), [](const auto& c) { return !c.status.isEmpty(); });
    if (!executed) {
        m_prompter.Notice(DeviceMessages::kNoCaseExecuted);
        return {};
    }
    QString path = chosenPath;
    if (!path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        path += QStringLiteral(".txt");

    QString text = m_device.details + QStringLiteral("\r\n") + QStringLiteral("\r\n");
    for (const ConnectionTestCase& c : cases)
        text += c.label + QStringLiteral("\r\n") + c.status + QStringLiteral("\r\n") + c.caseSms +
                QStringLiteral("\r\n\r\n");
    CStdioFileEx file;
    const unsigned flags = CStdioFileEx::kModeCreate | CStdioFileEx::kModeWrite | CStdioFileEx::kModeWriteUnicode |
                           CStdioFileEx::kModeAtomicRewrite;
    try {
        if (!file.Open(path, flags)) {
            m_prompter.Notice(DeviceMessages::kFileError);
            return {};
        }
        file.WriteString(text);
        file.Close();
    } catch (const FileException&) {
        file.Abort();
        m_prompter.Notice(DeviceMessages::kFileError);
        return {};
    }
    m_prompter.Notice(DeviceMessages::kLogSaved);
    return path;
}

bool ConnectionTestController::OnClearStatus() {
    if (RefuseWhileRunning())
        return false;
    const QString device = m_hasDevice ? DeviceTexts::DeviceEntry(m_device) : QString();
    if (!m_prompter.Confirm(DeviceMessages::kClearStatus + device + QStringLiteral("'?")))
        return false;
    std::lock_guard lock(m_mutex);
    for (ConnectionTestCase& c : m_cases)
        c.status.clear();
    return true;
}

bool ConnectionTestController::OnSetCustomSmsc(const QString& number) {
    if (RefuseWhileRunning())
        return false;
    if (!m_hasDevice) {
        m_prompter.Notice(DeviceMessages::kNoDeviceSelected);
        return false;
    }
    if (!DeviceTexts::IsValidCustomSmsc(number)) {
        m_prompter.Notice(DeviceMessages::kInvalidSmsc);
        return false;
    }
    try {
        CSMSSerialPort port;
        port.SetTiming(m_options.timing);
        port.Open(m_options.replyTimeoutMs, m_device.portName);
        port.SetSmsc(number.trimmed());
    } catch (const CSMSException& e) {
        m_prompter.Notice(DeviceMessages::DeviceErrorMessage(GetErrorText(e)));
        return false;
    }
    return true;
}

bool ConnectionTestController::OnClose() {
    if (IsRunning()) {
        if (!m_prompter.Confirm(DeviceMessages::kTestCloseWhileRunning))
            return false;
        OnStop();
        WaitForTest();
        return true;
    }
    const std::vector<ConnectionTestCase> cases = Cases();
    const bool executed = std::any_of(cases.begin(), cases.end(), [](const auto& c) { return !c.status.isEmpty(); });
    if (executed && !m_applied)
        return m_prompter.Confirm(DeviceMessages::kCloseWithoutApplying.arg(m_device.portName));
    return true;
}
