#include "sending/SendRun.h"

#include "app/Prompter.h"
#include "modem/CSMSException.h"
#include "records/SentItemsStore.h"
#include "sending/CSend_SMS_Thread.h"
#include "sending/DeliveryRun.h"
#include "common/ResultText.h"
#include "sending/PauseSetting.h"
#include "sending/DeviceReturn.h"
#include "sending/RunJournal.h"
#include "sending/SendState.h"
#include "templates/TemplateCache.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <chrono>

const QString SendRun::kHelpRunning = QStringLiteral(
    "It may take a while, Please wait...\n\nPlease do not operate your mobile device while message sending process "
    "is going on. Operating the mobile device functions during the messaging process may interrupt the execution "
    "and may result errors in process.");
const QString SendRun::kHelpFinished = QStringLiteral(
    "Sending Process, Finished.\n\nPlease do not operate your mobile device while message sending process is going "
    "on. Operating the mobile device functions during the messaging process may interrupt the execution and may "
    "result errors in process.");

SendRun::SendRun(SendContext context) : m_ctx(std::move(context)) {
    if (m_ctx.state == nullptr) {
        m_ownState = std::make_unique<SendState>();
        m_ctx.state = m_ownState.get();
    }
    if (m_ctx.options.deliveryReports)
        m_deliveries = std::make_unique<DeliveryRun>(*this);
}

SendRun::~SendRun() {
    {
        std::unique_lock lock(m_mutex);
        if (!m_finished && !m_closed)
            m_ctx.state->stopAll.store(1);
        m_tickerStop = true;
        m_closeRequested = true;
    }
    m_changed.notify_all();
    // Threads may start further threads (a retry pass, a watcher); join until none is left.
    for (;;) {
        std::vector<std::thread> threads;
        std::vector<std::unique_ptr<CSend_SMS_Thread>> workers;
        {
            std::lock_guard lock(m_mutex);
            threads.swap(m_threads);
            workers.swap(m_workers);
        }
        if (threads.empty() && workers.empty())
            break;
        for (std::thread& t : threads)
            t.join();
        workers.clear(); // joins each worker's thread
    }
    if (m_journal)
        m_journal->Flush(); // sent-items steps waiting for a commit run before the job goes
    if (m_deliveries)
        m_deliveries->Stop(); // no worker uses the ports any more
    SendState& state = *m_ctx.state;
    if (!m_closed && state.windowOpen.load() == 1 && state.generation.load() == m_generation) {
        state.windowOpen.store(0);
        state.generation.store(std::max(0, state.generation.load() - 1));
    }
    if (m_ownState)
        m_ctx.slots->SetStopFlag(nullptr); // the flag dies with this run
}

void SendRun::Spawn(std::function<void()> body) {
    std::lock_guard lock(m_mutex);
    m_threads.emplace_back(std::move(body));
}

void SendRun::SetStatusLabel(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        m_statusLabel = text;
    }
    if (m_ctx.observer)
        m_ctx.observer->StatusLabel(text);
    m_changed.notify_all();
}

QString SendRun::StatusLabelText() const {
    std::lock_guard lock(m_mutex);
    return m_statusLabel;
}

SendRun::Phase SendRun::CurrentPhase() const {
    std::lock_guard lock(m_mutex);
    return m_phase;
}

QString SendRun::ButtonCaption() const {
    return CurrentPhase() == Phase::Finished ? QStringLiteral("Close") : QStringLiteral("Stop");
}

bool SendRun::IsFinished() const {
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool SendRun::IsClosed() const {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

bool SendRun::WaitForEnd(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_finished || m_closed; });
}

bool SendRun::IsCurrent(int generation) const {
    const SendState& state = *m_ctx.state;
    return state.windowOpen.load() == 1 && state.generation.load() == generation;
}

int SendRun::DevicesInUseCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_ctx.devicesInUse.size());
}

void SendRun::RemoveDevice(const QString& entry) {
    {
        std::lock_guard lock(m_mutex);
        auto& devices = m_ctx.devicesInUse;
        devices.erase(std::remove_if(devices.begin(), devices.end(),
                                     [&entry](const RunDevice& d) { return d.entry == entry; }),
                      devices.end());
    }
    if (m_ctx.deviceLeft)
        m_ctx.deviceLeft(entry);
}

void SendRun::ReportProgress() {
    if (!m_ctx.observer)
        return;
    const int total = m_job.RowCount();
    const int processed = m_ctx.state->processedCount.load();
    m_ctx.observer->Progress(std::clamp(processed, 0, total), total, SendJob::ProgressLabel(processed, total));
}

void SendRun::Open() {
    SendState& state = *m_ctx.state;
    m_ctx.slots->SetStopFlag(&state.stopAll);
    state.windowOpen.store(1);
    m_generation = state.generation.fetch_add(1) + 1;
    state.retryMode.store(0);
    state.processedCount.store(0);
    state.pauseCounter.store(0);
    state.paused.store(0);
    state.pauseRemainingMs.store(0);
    state.retryPass.store(0);
    state.totalRetries.store(m_ctx.options.retriesOn ? m_ctx.options.totalRetries : 0);
    m_ctx.state->stopAll.store(0);
    if (m_ctx.observer) {
        m_ctx.observer->Caption(kCaptionRunning);
        m_ctx.observer->HelpText(kHelpRunning);
        m_ctx.observer->StopEnabled(false);
        m_ctx.observer->PauseLabel(QString());
    }
    {
        std::lock_guard lock(m_mutex);
        m_phase = Phase::Running;
        m_activityOn = true;
    }
    SetStatusLabel(kPopulating);
    Spawn([this] { Ticker(); });
    StartDispatcher();
}

void SendRun::StartDispatcher() {
    {
        std::lock_guard lock(m_mutex);
        if (m_dispatcherRunning)
            return;
        m_dispatcherRunning = true;
    }
    Spawn([this] {
        Dispatch();
        std::lock_guard lock(m_mutex);
        m_dispatcherRunning = false;
    });
}

void SendRun::Dispatch() {
    SendState& state = *m_ctx.state;
    if (state.retryMode.load() == 1) {
        const int done = m_job.RequeueFailed();
        state.processedCount.store(done);
        if (m_ctx.observer)
            m_ctx.observer->RowsReset(m_job.RowCount());
        ReportProgress();
        if (done == m_job.RowCount() || m_job.RowCount() == 0) {
            m_ctx.state->stopAll.store(1);
            Finish();
            return;
        }
    } else {
        m_job.Clear();
        m_job.SetNumberComparison(m_ctx.comparison);
        const int n = m_ctx.rowCount ? m_ctx.rowCount() : 0;
        for (int i = 0; i < n; ++i) {
            if (StopRequested()) {
                if (m_ctx.observer)
                    m_ctx.observer->RowsReset(m_job.RowCount());
                return;
            }
            const auto [number, message] = m_ctx.rowAt(i);
            m_job.AppendRow(number, message);
            if (m_ctx.observer && (i % 1000 == 0 || i + 1 == n))
                m_ctx.observer->Progress(i + 1, n, QStringLiteral("%1 / %2 (%3)").arg(i).arg(n).arg(number));
        }
        const bool journaled = BeginJournal();
        if (m_ctx.observer)
            m_ctx.observer->RowsReset(m_job.RowCount());
        if (!journaled) {
            m_ctx.state->stopAll.store(1);
            EndOfPass();
            return;
        }
    }
    if (m_ctx.observer)
        m_ctx.observer->Caption(kCaptionRunning);
    StartWorkers();
    if (m_ctx.observer)
        m_ctx.observer->StopEnabled(true);
}

bool SendRun::BeginJournal() {
    if (m_ctx.journal == nullptr)
        return true;
    m_journal = std::make_unique<RunJournal>(*m_ctx.journal);
    QString error;
    const bool ok = m_ctx.resume ? m_journal->Resume(*m_ctx.resume, &error)
                                 : m_journal->Begin(m_job, m_ctx.journalSpec, &error);
    if (!ok) {
        JournalFailed(error);
        return false;
    }
    if (m_ctx.resume)
        ApplyResume(*m_ctx.resume);
    return true;
}

namespace {
// A sent-items entry as the comparison of a resume sees it: number, message, date and status.
QString SentItemKey(const QString& number, const QString& message, const QString& date, const QString& status) {
    return number + QChar(0x1F) + message + QChar(0x1F) + date + QChar(0x1F) + status;
}
} // namespace

void SendRun::ApplyResume(const ResumePlan& plan) {
    // Rows whose sent-items entry may have been written just before the interruption: the log is compared, so
    // every confirmed row ends up in it exactly once. Each entry found accounts for one row.
    QHash<QString, int> logged;
    if (m_ctx.options.saveSentItems && m_ctx.sentItems) {
        QList<SentItemRecord> records;
        if (m_ctx.sentItems->Load(&records)) {
            for (const SentItemRecord& r : records)
                ++logged[SentItemKey(r.number, r.message, r.date, r.status)];
        }
    }
    const auto keysOf = [&](int row, const JournalRowRecord& s) {
        const QDate day = QDateTime::fromMSecsSinceEpoch(s.claimedAtMs).date();
        const QString number = NumberToSend(m_job.Text(row, SendJob::kNumber));
        const QString message = m_job.Text(row, SendJob::kMessage);
        return QStringList{SentItemKey(number, message, SentItemsStore::FormatDate(day), s.status),
                           SentItemKey(number, message, SentItemsStore::FormatDate(day.addDays(1)), s.status)};
    };
    const auto take = [&](const QStringList& keys) {
        for (const QString& key : keys) {
            auto it = logged.find(key);
            if (it != logged.end() && *it > 0) {
                --*it;
                return true;
            }
        }
        return false;
    };
    const int n = std::min(m_job.RowCount(), static_cast<int>(plan.states.size()));
    for (int r = 0; r < n; ++r) {
        const JournalRowRecord& s = plan.states[static_cast<size_t>(r)];
        if (s.state == JournalRowState::Sent && s.logged)
            take(keysOf(r, s));
    }
    int done = 0;
    for (int r = 0; r < n; ++r) {
        const JournalRowRecord& s = plan.states[static_cast<size_t>(r)];
        const bool unconfirmed =
            s.state == JournalRowState::Unconfirmed || s.state == JournalRowState::Claimed;
        if (s.state != JournalRowState::Sent && !(unconfirmed && !plan.resendUnconfirmed))
            continue;
        const QString status = s.state == JournalRowState::Sent ? s.status : RunJournal::kUnconfirmed;
        m_job.SetText(r, SendJob::kUsePort, QStringLiteral("-"));
        m_job.SetText(r, SendJob::kUseStatus, SendJob::kDone);
        m_job.SetText(r, SendJob::kCurrentStatus, SendJob::kDone);
        m_job.SetText(r, SendJob::kStatus, status);
        m_job.SetText(r, SendJob::kRetry, QString::number(s.retry));
        if (s.state == JournalRowState::Sent && (s.logged || take(keysOf(r, s)))) {
            static_cast<void>(m_job.MarkSentItem(r));
            if (!s.logged)
                m_journal->Logged(r);
        }
        ++done;
    }
    m_ctx.state->processedCount.store(done);
}

void SendRun::JournalFailed(const QString& error) {
    {
        std::lock_guard lock(m_mutex);
        if (m_journalReported)
            return;
        m_journalReported = true;
        m_stopRequested = true;
    }
    m_ctx.state->stopAll.store(1);
    if (m_ctx.observer)
        m_ctx.observer->Diagnostic(error + QLatin1Char(' ') + kJournalStops);
}

bool SendRun::ClaimRow(int row, const QString& imei) {
    if (!m_journal)
        return true;
    QString error;
    switch (m_journal->ClaimRow(row, imei, &error)) {
    case RunJournal::Claim::Claimed: return true;
    case RunJournal::Claim::AlreadySent:
        if (m_ctx.rowSource)
            return false; // another process holds the row now: it is theirs to send
        // The journal and the job disagree about the row: nothing more is sent until that is looked into.
        error = QStringLiteral("The run journal holds row %1 as sent already.").arg(row + 1);
        break;
    case RunJournal::Claim::Failed: break;
    }
    JournalFailed(error);
    return false;
}

bool SendRun::AwaitDeviceReturn(int slot, const QString& imei, const QString& port) {
    const int waitSeconds = m_ctx.options.reconnectWaitSeconds;
    if (waitSeconds <= 0 || imei.isEmpty() || StopRequested())
        return false;
    if (m_ctx.observer)
        m_ctx.observer->Diagnostic(kWaitingForDevice.arg(imei, port).arg(waitSeconds));
    SmsTransport& transport = m_ctx.slots->Transport(slot, m_ctx.options.nonOverlapped);
    transport.Close(); // the old node is gone; its descriptor only holds the slot
    DeviceReturn::PortLister ports = m_ctx.devicePorts;
    if (!ports) {
        std::vector<QString> known;
        for (const RunDevice& d : m_ctx.devicesInUse)
            known.push_back(d.record.portName.isEmpty() ? RunDevice::PortOfEntry(d.entry) : d.record.portName);
        ports = DeviceReturn::SystemPorts(std::move(known));
    }
    const auto stop = [this] { return StopRequested(); };
    const std::optional<QString> found = DeviceReturn::Find(imei, waitSeconds * 1000, ports, m_ctx.clock, stop);
    if (found) {
        try {
            transport.Open(*found);
            if (m_ctx.observer)
                m_ctx.observer->Diagnostic(kDeviceBack.arg(imei, *found));
            return true;
        } catch (const CSMSException&) {
            // it went again between the look and the open
        }
    }
    if (m_ctx.observer && !StopRequested())
        m_ctx.observer->Diagnostic(kDeviceNotBack.arg(imei).arg(waitSeconds));
    return false;
}

void SendRun::RecordJournalResult(int row, const QString& result, const QString& references) {
    if (m_journal)
        m_journal->Result(row, result, references, m_job.Text(row, SendJob::kRetry).toInt());
}

void SendRun::StartWorkers() {
    SendState& state = *m_ctx.state;
    const bool firstPass = state.retryMode.load() == 0;
    std::vector<RunDevice> devices;
    {
        std::lock_guard lock(m_mutex);
        devices = m_ctx.devicesInUse;
    }
    const bool all = m_ctx.selectedEntry == RunDevice::kAllDevice;
    const int rows = m_job.RowCount();
    std::vector<std::pair<int, RunDevice>> chosen;
    if (all) {
        for (int f = 0; f < static_cast<int>(devices.size()) && f + 1 <= rows; ++f)
            chosen.emplace_back(f, devices[static_cast<size_t>(f)]);
    } else {
        for (const RunDevice& d : devices) {
            if (d.entry == m_ctx.selectedEntry) {
                chosen.emplace_back(0, d);
                break;
            }
        }
    }
    bool anyWaiting = false;
    for (int r = 0; r < rows && !anyWaiting; ++r)
        anyWaiting = m_job.Text(r, SendJob::kUseStatus).contains(SendJob::kWaiting);

    std::vector<CSend_SMS_Thread*> started;
    for (const auto& [index, device] : chosen) {
        if (StopRequested())
            break;
        if (all && !anyWaiting)
            continue;
        const QString port = device.record.portName.isEmpty() ? RunDevice::PortOfEntry(device.entry)
                                                              : device.record.portName;
        if (firstPass) {
            try {
                m_ctx.slots->Transport(index, m_ctx.options.nonOverlapped).Open(port);
            } catch (const CSMSException& e) {
                // The worker still runs; its sends fail with the port's error.
                if (m_ctx.observer)
                    m_ctx.observer->Diagnostic(QStringLiteral("Error : ") + GetErrorText(e));
            }
        }
        CSend_SMS_Thread::Fields fields;
        fields.index = index;
        fields.port = port;
        fields.deviceText = device.entry;
        fields.smsMode = device.record.smsMode;
        fields.useCustomSmsc = device.record.useCustomSmsc;
        fields.smsc = device.record.useCustomSmsc ? device.record.customSmsc : QString();
        fields.details = device.record.details;
        fields.imei = device.record.imei;
        fields.rowCount = rows;
        fields.generation = m_generation;
        if (m_ctx.options.quotaManagement && m_ctx.quotaFor) {
            fields.quota = m_ctx.quotaFor(port);
        }
        auto worker = std::make_unique<CSend_SMS_Thread>(*this, fields);
        state.Register(index);
        started.push_back(worker.get());
        std::lock_guard lock(m_mutex);
        m_workers.push_back(std::move(worker));
    }
    for (CSend_SMS_Thread* worker : started)
        worker->Start();
    if (started.empty()) {
        // No device could take the rows: the pass ends at once.
        m_ctx.state->stopAll.store(1);
        EndOfPass();
    }
}

void SendRun::WorkerExited(CSend_SMS_Thread& worker) {
    SendState& state = *m_ctx.state;
    if (m_ctx.options.quotaManagement && m_ctx.recordUsage)
        m_ctx.recordUsage(worker.Info().port, worker.SentCount());
    if (state.Unregister(worker.Info().index) > 0)
        return;
    if (IsClosed())
        return;
    // The last worker of the pass.
    if (StopRequested()) {
        m_job.MarkStoppedByLastWorker(worker.Info().port);
        for (int r = 0; r < m_job.RowCount(); ++r) {
            LogSentItem(r);
            SaveTemplate(r);
        }
        if (m_ctx.observer)
            m_ctx.observer->RowsReset(m_job.RowCount());
    }
    if (state.retryPass.load() == state.totalRetries.load())
        m_ctx.state->stopAll.store(1);
    EndOfPass();
}

QString SendRun::NumberToSend(const QString& number) const {
    const InternationalNumbering* numbering = m_ctx.comparison.Numbering();
    return m_ctx.options.sendInternational && numbering != nullptr ? numbering->FormToSend(number) : number;
}

void SendRun::LogSentItem(int row) {
    if (!m_ctx.options.saveSentItems || m_ctx.sentItems == nullptr)
        return;
    const SendJob::Row r = m_job.RowAt(row);
    if (!SentItemsStore::IsLoggedAtEndOfRun(r[SendJob::kStatus]) || !m_job.MarkSentItem(row))
        return;
    SentItemRecord record =
        SentItemsStore::MakeRecord(NumberToSend(r[SendJob::kNumber]), r[SendJob::kMessage], r[SendJob::kStatus]);
    record.delivery = r[SendJob::kDelivery];
    if (!record.delivery.isEmpty()) {
        record.device = m_deliveries ? m_deliveries->DeviceKey(r[SendJob::kUsePort]) : r[SendJob::kUsePort];
        record.references = r[SendJob::kReferences];
    }
    // With a journal the entry follows the row's durable result, so the log never holds a row the journal
    // would still offer as unconfirmed after a crash.
    const auto append = [this, row, record = std::move(record)] {
        if (!m_ctx.sentItems->Append(record)) {
            m_job.ReleaseSentItem(row);
            if (m_ctx.observer)
                m_ctx.observer->Diagnostic(QStringLiteral("Sent items file could not be written."));
        } else if (m_journal) {
            m_journal->Logged(row);
        }
    };
    if (m_journal)
        m_journal->AfterDurable(append);
    else
        append();
}

void SendRun::SaveTemplate(int row) {
    if (!m_ctx.options.saveTemplates || m_ctx.templates == nullptr)
        return;
    const SendJob::Row r = m_job.RowAt(row);
    if (!r[SendJob::kMessage].isEmpty() && !r[SendJob::kStatus].isEmpty() && r[SendJob::kStatus] != SendJob::kStopped)
        m_ctx.templates->SaveToTemplates(r[SendJob::kMessage]);
}

void SendRun::EndOfPass() {
    SendState& state = *m_ctx.state;
    if (DevicesInUseCount() == 0)
        m_ctx.state->stopAll.store(1);
    const int n = m_job.RowCount();
    if (StopRequested()) {
        m_job.MarkWaitingStopped();
        if (m_ctx.observer) {
            m_ctx.observer->RowsReset(n);
            m_ctx.observer->Progress(n, n, SendJob::ProgressLabel(state.processedCount.load(), n));
        }
    } else if (m_ctx.observer) {
        m_ctx.observer->Progress(n, n, SendJob::ProgressLabel(n, n));
    }
    state.pauseRemainingMs.store(0);
    if (m_ctx.options.retriesOn) {
        state.retryMode.store(1);
        if (state.retryPass.load() < state.totalRetries.load() && !StopRequested()) {
            state.retryPass.fetch_add(1);
            state.processedCount.store(0);
            StartDispatcher();
            return;
        }
        if (StopRequested())
            state.retryMode.store(0);
    }
    Finish();
}

void SendRun::Finish() {
    if (CurrentPhase() == Phase::Finished) {
        // Already finished or stopped.
        m_ctx.state->stopAll.store(1);
        bool close = false;
        {
            std::lock_guard lock(m_mutex);
            close = m_closeRequested;
        }
        EndOfRun();
        if (close)
            CloseWindow();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_watcherRunning)
            return;
        m_watcherRunning = true;
    }
    Spawn([this] { FinishWatcher(); });
}

void SendRun::FinishWatcher() {
    SendState& state = *m_ctx.state;
    // Rows still being sent (a stop while a submission was under way) finish first.
    for (;;) {
        bool sending = false;
        for (int r = 0; r < m_job.RowCount(); ++r) {
            if (m_job.Text(r, SendJob::kUseStatus) == SendJob::kSending) {
                sending = true;
                break;
            }
        }
        if (!sending || state.RegisteredCount() == 0)
            break;
        const bool lastPass = !m_ctx.options.retriesOn || state.retryPass.load() == state.totalRetries.load() ||
                              StopRequested();
        if (!lastPass)
            break;
        m_ctx.clock.Sleep(1000);
    }
    m_ctx.state->stopAll.store(1);
    {
        std::lock_guard lock(m_mutex);
        m_activityOn = false;
        m_phase = Phase::Finished;
    }
    const int n = m_job.RowCount();
    if (m_ctx.observer) {
        m_ctx.observer->Caption(kCaptionFinished);
        m_ctx.observer->HelpText(kHelpFinished);
        m_ctx.observer->Progress(n, n, SendJob::ProgressLabel(state.processedCount.load(), n));
        m_ctx.observer->Finished();
    }
    SetStatusLabel(kFinish);
    if (m_ctx.options.clearAfterSend && m_ctx.observer)
        m_ctx.observer->ClearFieldsRequested();
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
    bool close = false;
    // The end-of-run logging follows a short wait, during which the user may close the window.
    m_ctx.clock.Sleep(5000, [this] {
        std::lock_guard lock(m_mutex);
        return m_closeRequested;
    });
    {
        std::lock_guard lock(m_mutex);
        close = m_closeRequested;
        m_watcherRunning = false;
    }
    EndOfRun();
    if (close)
        CloseWindow();
}

void SendRun::EndOfRun() {
    if (CurrentPhase() != Phase::Finished)
        return;
    for (int r = 0; r < m_job.RowCount(); ++r)
        LogSentItem(r);
    // A run the user stopped between passes leaves no row looking as if a retry were still to come.
    bool stoppedByUser = false;
    {
        std::lock_guard lock(m_mutex);
        stoppedByUser = m_stopRequested || m_closeRequested;
    }
    if (stoppedByUser)
        m_job.MarkRetryWaitingStopped();
    if (m_journal)
        m_journal->Flush(); // the sent-items entries waiting for the journal are in the log before its states
    if (m_deliveries)
        m_deliveries->RunEnded();
    // Ended (finished or stopped by the user): no longer offered for a resume. A run stopped by its journal
    // stays open there.
    if (m_journal) {
        m_journal->Finish();
        if (m_journal->HasFailed())
            JournalFailed(m_journal->Error()); // told once, however it was found
    }
}

void SendRun::CloseWindow() {
    SendState& state = *m_ctx.state;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        m_closed = true;
        m_tickerStop = true;
    }
    if (m_deliveries)
        m_deliveries->EndIdle();
    if (state.generation.load() == m_generation) {
        state.windowOpen.store(0);
        state.generation.store(std::max(0, state.generation.load() - 1));
    }
    if (m_ctx.observer)
        m_ctx.observer->Closed();
    m_changed.notify_all();
}

void SendRun::RequestStop(bool close) {
    {
        std::lock_guard lock(m_mutex);
        (close ? m_closeRequested : m_stopRequested) = true;
        if (m_watcherRunning)
            return; // the watcher closes the window itself when closing was requested
    }
    const bool inProgress = CurrentPhase() != Phase::Finished;
    if (inProgress && m_ctx.prompter && !m_ctx.prompter->Confirm(kStopQuestion)) {
        std::lock_guard lock(m_mutex);
        (close ? m_closeRequested : m_stopRequested) = false;
        return;
    }
    SendState& state = *m_ctx.state;
    if (state.RegisteredCount() > 0) {
        // Workers stop at their next check; the last one marks the rows and ends the pass.
        state.paused.store(0);
        state.pauseRemainingMs.store(0);
        m_ctx.state->stopAll.store(1);
        if (m_ctx.observer)
            m_ctx.observer->PauseLabel(QString());
        return;
    }
    m_ctx.state->stopAll.store(1);
    if (!inProgress || IsFinished()) {
        CloseWindow();
        return;
    }
    if (m_job.IsPending())
        Finish();
    else
        CloseWindow();
}

void SendRun::Ticker() {
    // Timer 1010 (50 ms: activity bar, stop clean-up) and timer 2020 (1 s: pause countdown).
    SendState& state = *m_ctx.state;
    int sinceCountdown = 0;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_tickerStop)
                return;
        }
        m_ctx.clock.Sleep(50, [this] {
            std::lock_guard lock(m_mutex);
            return m_tickerStop;
        });
        sinceCountdown += 50;
        bool activity = false;
        {
            std::lock_guard lock(m_mutex);
            activity = m_activityOn;
        }
        if (activity && m_ctx.observer && !StopRequested() && state.paused.load() == 0)
            m_ctx.observer->ActivityStep();
        if (sinceCountdown < 1000)
            continue;
        sinceCountdown = 0;
        if (state.paused.load() == 1 && !StopRequested()) {
            const int s = state.pauseRemainingMs.load() / 1000;
            if (m_ctx.observer)
                m_ctx.observer->PauseLabel(PauseSetting::CountdownText(s * 1000));
            state.pauseRemainingMs.store(s <= 1 ? 0 : (s - 1) * 1000);
        }
    }
}
