#pragma once

#include "devices/DeviceRecord.h"
#include "devices/PortInfo.h"
#include "devices/PortScanner.h"
#include "devices/ScanObserver.h"
#include "modem/ModemTiming.h"

#include <QPair>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class MainDeviceState;
class Prompter;

// The logic of the device selection window ("Mobile Phone Connection Wizard"): the port scan on a worker
// thread with progress and stop, the device rows, their SMS mode and custom SMSC, the test message, and
// handing the chosen devices to the main window. Questions and refusals go through the Prompter. The
// window's thread calls everything but the observer, which the scan thread calls.
class DeviceSelectionController {
public:
    struct Options {
        int scanTimeoutMs = 1000;   // reply time-out of the discovery port during the scan
        int deviceTimeoutMs = 5000; // reply time-out when a chosen device is checked or sent through
        ModemTiming timing = ModemTiming::Fast();
        QString procRoot = QStringLiteral("/proc");
        QStringList rememberedImeis; // the devices chosen last time: selected again when the scan finds them
    };
    // The ports to scan, asked for at the start of every scan (enumerated, added by path, simulated).
    using PortSource = std::function<std::vector<PortInfo>()>;

    // The "Custom SMSC :" check box and its field.
    struct CustomSmscChoice {
        bool checked = false;
        QString number;
    };

    DeviceSelectionController(MainDeviceState& devices, Prompter& prompter, PortSource ports, Options options);
    DeviceSelectionController(MainDeviceState& devices, Prompter& prompter, PortSource ports);
    ~DeviceSelectionController(); // stops a running scan and waits for it
    DeviceSelectionController(const DeviceSelectionController&) = delete;
    DeviceSelectionController& operator=(const DeviceSelectionController&) = delete;

    // Starts the scan thread unless one runs (false then). Rows are cleared first; observer (may be null)
    // must outlive the scan. With no row at the end of a scan that was not stopped, kNoDeviceFound is shown.
    bool StartScan(ScanObserver* observer);
    // The same scan on the calling thread.
    PortScanner::Result ScanNow(ScanObserver* observer);
    bool IsScanning() const { return m_scanning.load(); }
    // Asks the running scan to stop after the port it examines; WaitForScan() joins it.
    void StopScan() { m_stop.store(true); }
    void WaitForScan();

    // "Stop": asks kStopScan while a scan runs; true (and stopping) on Yes, or when nothing runs.
    bool OnStop();
    // "Search Mobile Device Again": asks kTerminateScan while a scan runs (No keeps it), then starts anew.
    bool OnSearchAgain(ScanObserver* observer);
    // Closing the window: asks kTerminateScan while a scan runs; true when the window may close.
    bool OnClose();

    std::vector<DeviceRecord> Rows() const;
    // The rows the list shows selected as rows come in: the user's selection, plus every row of a device
    // chosen last time (by IMEI); with neither, the newest row.
    std::vector<int> RowsToSelect(const std::vector<int>& selected) const;
    std::vector<ScanPortReport> PortReports() const;
    // The selected row's details split into ("Name", "Value") pairs at the first " :" / ":" of each line.
    std::vector<QPair<QString, QString>> DetailPairs(int row) const;
    // The "PDU Mode" / "Text Mode" radio buttons for a row.
    bool SetRowSmsMode(int row, int smsMode);
    // Save / reset of a row's custom SMSC: the store entry "<port>||<number>||Y" and the row's columns.
    bool OnSaveCustomSmsc(int row, const QString& number);
    bool OnResetCustomSmsc(int row);

    // "Use Selected Device to Send SMS" for one or more rows: each row is checked (status, "AT", SMS
    // capabilities question, default SMSC question) and the accepted ones replace the main window's
    // selection together. The custom SMSC check box and field apply to every selected row ("||Y" with the
    // number when ticked, "||N" otherwise). True when at least one device was taken (the window closes).
    bool OnUseSelectedDevice(const std::vector<int>& rows, const CustomSmscChoice& custom);
    // "Continue without Device Selection...": true when the window may close.
    bool OnContinueWithoutDeviceSelection(bool smsModeChosen);
    // "Send": the test message through the row's device, with the custom SMSC when ticked.
    QString OnSendTestMessage(int row, const QString& phoneNumber, const CustomSmscChoice& custom);

private:
    class Recorder;
    void RunScan(ScanObserver* observer);
    bool ValidRow(int row) const;
    // Checks one row for "Use Selected Device"; the record to take, or nothing.
    std::optional<DeviceRecord> CheckForUse(const DeviceRecord& row, const CustomSmscChoice& custom);

    MainDeviceState& m_devices;
    Prompter& m_prompter;
    PortSource m_ports;
    Options m_options;

    mutable std::mutex m_mutex; // guards the rows and reports, which the scan thread fills
    std::vector<DeviceRecord> m_rows;
    std::vector<ScanPortReport> m_reports;

    std::thread m_thread;
    std::atomic<bool> m_scanning{false};
    std::atomic<bool> m_stop{false};
};
