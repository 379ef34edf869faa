#pragma once

#include "devices/DeviceCollection.h"

#include "devices/ConnectionTestCase.h"
#include "devices/DeviceRecord.h"
#include "modem/ModemTiming.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class MainDeviceState;
class Prompter;

// Progress of a connection test, called on the test's thread. Every call has an empty default.
class ConnectionTestObserver {
public:
    virtual ~ConnectionTestObserver() = default;
    virtual void OnStatusLabel(const QString& text) { static_cast<void>(text); }
    virtual void OnCaseStarted(int index) { static_cast<void>(index); }
    virtual void OnCaseFinished(int index, const QString& status) {
        static_cast<void>(index);
        static_cast<void>(status);
    }
    virtual void OnTestFinished(bool stopped) { static_cast<void>(stopped); }
};

// The logic of the "Advanced Connection Troubleshooting" window for one selected device: the applicable
// cases, the run (each ticked case sends a real test SMS in its mode with its SMSC), stop between cases,
// applying a case to the Device record, the status log. While a test runs, every other command is refused.
class ConnectionTestController {
public:
    struct Options {
        int replyTimeoutMs = 5000;
        ModemTiming timing = ModemTiming::Fast();
        int afterCaseMs = 2000;     // pause after each case's submission; a stop cuts it short
        bool nonOverlapped = false; // "Sent Non Overlapped": each case through the non-overlapped transport
        DeviceCollection* collection = nullptr; // reports and messages the device announces meanwhile (may be null)
    };

    // The device is the main window's record in slot (none when the slot is empty).
    ConnectionTestController(MainDeviceState& devices, Prompter& prompter, int slot, Options options);
    ConnectionTestController(MainDeviceState& devices, Prompter& prompter, int slot);
    ~ConnectionTestController(); // stops a running test and waits for it
    ConnectionTestController(const ConnectionTestController&) = delete;
    ConnectionTestController& operator=(const ConnectionTestController&) = delete;

    std::vector<ConnectionTestCase> Cases() const;
    void SetTicked(int index, bool ticked);
    QString StatusLabel() const;
    // "Start Test for Device Connected at : <port>".
    QString StartButtonCaption() const;
    bool IsRunning() const { return m_running.load(); }

    // "Start Test": validates (device, SMS capabilities, the custom SMSC when a custom case is ticked, the
    // phone number), then runs on a thread of its own; false when refused.
    bool OnStartTest(const QString& phoneNumber, const QString& customSmsc, ConnectionTestObserver* observer);
    // The same run on the calling thread; false when refused.
    bool RunTest(const QString& phoneNumber, const QString& customSmsc, ConnectionTestObserver* observer);
    // "Stop": the case being sent finishes, no further case starts.
    void OnStop();
    void WaitForTest();

    // "Use Selected Case for SMS Sending": the case's SMS mode and SMSC become the Device record's.
    bool OnUseSelectedCase(int index, const QString& customSmsc);
    // "Save Test Case Log": path as chosen in the save dialog (".txt" added when it has another extension).
    // The path written, or empty when refused or failed.
    QString OnSaveLog(const QString& path);
    // "Clear Status".
    bool OnClearStatus();
    // "Set Cus SMSC": writes the number into the device (AT+CSCA).
    bool OnSetCustomSmsc(const QString& number);
    // Closing the window: true when it may close.
    bool OnClose();

private:
    bool RefuseWhileRunning();
    bool Validate(const QString& phoneNumber, const QString& customSmsc, QString* number);
    // The checks and state change that start a run (refusal while one runs, the number checks); false when
    // the run may not start.
    bool Begin(const QString& phoneNumber, const QString& customSmsc, QString* number);
    void Run(const QString& number, const QString& customSmsc, ConnectionTestObserver* observer);
    void SetLabel(const QString& text, ConnectionTestObserver* observer);
    bool PauseUnlessStopped(int ms);

    MainDeviceState& m_devices;
    Prompter& m_prompter;
    int m_slot;
    Options m_options;
    DeviceRecord m_device;
    bool m_hasDevice = false;

    mutable std::mutex m_mutex; // guards the cases and the label, which the test's thread changes
    std::condition_variable m_wake;
    std::vector<ConnectionTestCase> m_cases;
    QString m_label;
    bool m_applied = false;

    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};
