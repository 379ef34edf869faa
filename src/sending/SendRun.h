#pragma once

#include "exclusion/NumberComparison.h"
#include "journal/JournalTypes.h"
#include "sending/DeliverySetup.h"
#include "sending/ModemSlots.h"
#include "sending/QuotaState.h"
#include "sending/RunDevice.h"
#include "sending/SendClock.h"
#include "sending/SendJob.h"
#include "sending/SendObserver.h"
#include "sending/SendOptions.h"
#include "sending/SendState.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class CSend_SMS_Thread;
class DeliveryRun;
class ExclusionSet;
class JobStore;
class RowSource;
class RunJournal;
struct ResumePlan;
class Prompter;
class SentItemsStore;
class TemplateCache;

// Everything a run reads from its session, and where it reports. slots must be set; every pointer set must
// outlive the run.
struct SendContext {
    // The Recipient list, read row by row while the job is built.
    std::function<int()> rowCount;
    std::function<std::pair<QString, QString>(int)> rowAt; // number, message

    std::vector<RunDevice> devicesInUse; // the device entries that opened (no "All Device" entry)
    QString selectedEntry;               // one device's entry, or "All Device"
    SendOptions options;
    NumberComparison comparison; // how the duplicate test (and the international form to send) sees numbers

    SendState* state = nullptr; // the session's run state (null: the run keeps one of its own); the run's stop
                                // flag reaches the slots' transports
    ModemSlots* slots = nullptr;
    const ExclusionSet* exclusion = nullptr; // with "Use Exclusion Rules"
    const SentItemsStore* sentItems = nullptr;
    TemplateCache* templates = nullptr;
    SendObserver* observer = nullptr;
    Prompter* prompter = nullptr;
    SendClock clock;

    // Quota of a device for a worker (with quota management on).
    std::function<DeviceQuota(const QString& port)> quotaFor;
    // A worker ended while quota management is on: the port and the messages it sent ("%d|%d" usage entry).
    std::function<void(const QString& port, int sent)> recordUsage;
    // A device used up its manual quota, or its port failed: it leaves the devices in use.
    std::function<void(const QString& entry)> deviceLeft;

    // The job store the run is recorded in (null: not recorded). Every row's claim is durable there before its
    // submission begins; a store that cannot be written stops the run.
    JobStore* journal = nullptr;
    JournalRunSpec journalSpec; // a new run's options and devices
    // Where a device whose port failed is looked for while the run waits for it to come back (null: the
    // system's serial devices and the ports the run's devices had).
    std::function<std::vector<QString>()> devicePorts;
    // Set: the run continues this journal run (rowCount/rowAt give its rows) instead of starting one.
    std::shared_ptr<const ResumePlan> resume;
    // Set: the rows are shared with other processes; workers take the rows it hands out, and a row the
    // journal reports taken by another process is left to it.
    RowSource* rowSource = nullptr;
    // With "Request delivery reports": where received messages and opt-outs go.
    DeliverySetup delivery;
};

// The sending progress window's logic (CSMS_Sending without widgets): opening, the job dispatcher, the
// activity and pause timers (run by a ticker thread of its own), the end of each pass, retry passes,
// finishing, stop and close, and the end-of-run logging. Windows and the CLI watch it through the observer.
class SendRun {
public:
    static inline const QString kPopulating = QStringLiteral("Populating Phone Numbers and Messages List.");
    static inline const QString kFinish = QStringLiteral("Finish.");
    static inline const QString kCaptionRunning = QStringLiteral("Sending Messages, Please wait...");
    static inline const QString kCaptionFinished = QStringLiteral("Sending Process, Finished.");
    static inline const QString kStopQuestion = QStringLiteral("Are you sure you want to continue?");
    static const QString kHelpRunning;
    static const QString kHelpFinished;

    explicit SendRun(SendContext context);
    ~SendRun(); // stops the run if it is still going and waits for its threads
    SendRun(const SendRun&) = delete;
    SendRun& operator=(const SendRun&) = delete;

    // Opens the window: the run state, the ticker and the job dispatcher.
    void Open();
    // "Stop" (close = false) or closing the window (close = true); asks first while a run is in progress.
    void RequestStop(bool close);

    // Waits until the run has finished ("Finish.") or the window closed; false on time-out (real ms).
    bool WaitForEnd(int timeoutMs);
    bool IsFinished() const;
    bool IsClosed() const;
    // Where the run stands; the window's labels and button caption follow it, never the other way round.
    enum class Phase {
        NotOpened, // before Open
        Running,   // "Populating Phone Numbers and Messages List." until the end, through every pass
        Finished,  // "Finish.": the button reads "Close"
    };
    Phase CurrentPhase() const;
    QString StatusLabelText() const;
    QString ButtonCaption() const; // "Stop" or "Close"

    SendState& State() { return *m_ctx.state; }
    bool StopRequested() const { return m_ctx.state->stopAll.load() != 0; }

    // The run's reports and replies (DeliveryRun); null without "Request delivery reports".
    DeliveryRun* Deliveries() { return m_deliveries.get(); }

    SendJob& Job() { return m_job; }
    const SendJob& Job() const { return m_job; }
    const SendContext& Context() const { return m_ctx; }

    // Called by a worker when it ends (on its own thread).
    void WorkerExited(CSend_SMS_Thread& worker);
    // Removes a device from the devices in use.
    void RemoveDevice(const QString& entry);
    int DevicesInUseCount() const;
    // The number a row is submitted to and logged with: its international form with "Send numbers in
    // international format", else as the row holds it.
    QString NumberToSend(const QString& number) const;
    // Whether the run this worker was started in is still the current one (window open, same generation).
    bool IsCurrent(int generation) const;
    void ReportProgress();
    // "Save Sent Items": appends the row with its Status once (rows Stopped, Skipped or Excluded never). The
    // one place a row reaches the sent-items file, from a worker with a final result or from the end of a run.
    void LogSentItem(int row);
    // "Save sent message to Templates": the row's message, unless it is blank or the row was stopped.
    void SaveTemplate(int row);

    // The journal's side of a worker's row (true when the run has no journal). ClaimRow is called after the
    // worker took the row and before its submission; false: the row must not be submitted (the run stops when
    // the journal could not be written).
    [[nodiscard]] bool ClaimRow(int row, const QString& imei);
    // A worker's port failed at the system level: waits up to the reconnect wait for a device with the same
    // IMEI on any port and reopens the worker's slot there. False when it did not come back (or the run
    // stopped): the worker then leaves the run.
    [[nodiscard]] bool AwaitDeviceReturn(int slot, const QString& imei, const QString& port);
    static inline const QString kWaitingForDevice =
        QStringLiteral("The device with IMEI %1 (%2) is gone; waiting up to %3 s for it to come back.");
    static inline const QString kDeviceBack = QStringLiteral("The device with IMEI %1 is back on %2; sending goes on.");
    static inline const QString kDeviceNotBack =
        QStringLiteral("The device with IMEI %1 did not come back within %2 s; it leaves the run.");
    // The device answered the row's submission (references: its message references, comma-separated).
    void RecordJournalResult(int row, const QString& result, const QString& references);
    static inline const QString kJournalStops =
        QStringLiteral("The run stops: no message is sent unless the run journal holds its record.");

private:
    void Dispatch();
    // The first pass's journal step, once the job holds its rows: a new journal run, or a resumed one's row
    // states applied to the job. False: the run must not send.
    bool BeginJournal();
    void ApplyResume(const ResumePlan& plan);
    void JournalFailed(const QString& error);
    void StartDispatcher();
    void StartWorkers();
    void EndOfPass();
    void Finish();
    void FinishWatcher();
    void EndOfRun();
    void CloseWindow();
    void Ticker();
    void SetStatusLabel(const QString& text);
    void Spawn(std::function<void()> body);

    std::unique_ptr<SendState> m_ownState; // when the context brings none
    SendContext m_ctx;
    SendJob m_job;
    int m_generation = 0;
    std::unique_ptr<RunJournal> m_journal;
    std::unique_ptr<DeliveryRun> m_deliveries;

    mutable std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    QString m_statusLabel;
    Phase m_phase = Phase::NotOpened;
    bool m_finished = false;
    bool m_closed = false;
    bool m_closeRequested = false;
    bool m_stopRequested = false;
    bool m_watcherRunning = false;
    bool m_dispatcherRunning = false;
    bool m_tickerStop = false;
    bool m_activityOn = false;
    bool m_journalReported = false; // the journal's failure was told (once)
    std::vector<std::unique_ptr<CSend_SMS_Thread>> m_workers;
    std::vector<std::thread> m_threads;
};
