#include "sending/CSend_SMS_Thread.h"

#include "sending/DeliveryRun.h"

#include "devices/DetailsText.h"
#include "exclusion/ExclusionSet.h"
#include "modem/CSMSException.h"
#include "records/SentItemsStore.h"
#include "sending/DeliveryMatcher.h"
#include "sending/PauseSetting.h"
#include "sending/RowSource.h"
#include "sending/RunJournal.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "sms/SmsRequest.h"
#include "sms/SubmissionResult.h"
#include "templates/TemplateCache.h"

#include <chrono>

CSend_SMS_Thread::CSend_SMS_Thread(SendRun& run, Fields fields)
    : m_run(run), m_fields(std::move(fields)), m_worker{m_fields.port, m_fields.deviceText} {}

CSend_SMS_Thread::~CSend_SMS_Thread() { Join(); }

void CSend_SMS_Thread::Start() { m_thread = std::thread([this] { Run(); }); }

void CSend_SMS_Thread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool CSend_SMS_Thread::StillWanted() const {
    return m_run.Job().RowCount() > 0 && m_run.IsCurrent(m_fields.generation) && !m_run.StopRequested();
}

void CSend_SMS_Thread::Run() {
    const SendOptions& options = m_run.Context().options;
    m_pauseEvery = PauseSetting::EveryCount(options.pauseEvery);
    m_pauseMs = PauseSetting::DurationMs(options.pauseFor).value_or(-1);

    // A manual quota already used up (or 0) sends nothing.
    DeliveryRun* deliveries = m_run.Deliveries();
    if (deliveries)
        deliveries->Attach(m_fields.index, m_fields.port, m_fields.imei, m_fields.smsMode == 2);
    if (m_run.Context().rowSource && m_run.Job().RowCount() > 0 && m_run.IsCurrent(m_fields.generation) &&
        !QuotaUsedUp()) {
        RunFromSource();
    } else if (m_run.Job().RowCount() > 0 && m_run.IsCurrent(m_fields.generation) && !QuotaUsedUp()) {
        bool firstScan = true;
        bool leave = false;
        while (!leave && m_run.Job().IsPending()) {
            if (!StillWanted())
                break;
            const int start = firstScan ? m_fields.index : 0;
            firstScan = false;
            bool handledAny = false;
            for (int row = start; row < m_fields.rowCount; ++row) {
                if (!StillWanted()) {
                    leave = true;
                    break;
                }
                if (m_run.State().paused.load() == 1) {
                    m_run.Context().clock.Sleep(1000, [this] { return m_run.StopRequested(); });
                    break;
                }
                if (!m_run.Job().ClaimTest(row))
                    continue;
                handledAny = true;
                HandleRow(row);
                // A device unplugged or reset may come back (by IMEI, under any port name) within the wait; its
                // reopened port is tapped for reports again.
                if (m_portFailed && m_run.AwaitDeviceReturn(m_fields.index, m_fields.imei, m_fields.port)) {
                    m_portFailed = false;
                    if (deliveries)
                        deliveries->Attach(m_fields.index, m_fields.port, m_fields.imei, m_fields.smsMode == 2);
                }
                if (deliveries)
                    deliveries->Poll(m_fields.index);
                if (QuotaUsedUp() || m_portFailed) {
                    leave = true;
                    break;
                }
                PauseRule();
            }
            // Rows are still pending but all in other workers' hands: wait a little instead of spinning.
            if (!leave && !handledAny)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (deliveries)
        deliveries->Detach(m_fields.index);
    // A device that used up its manual quota, or whose port failed, leaves the devices in use.
    if (QuotaUsedUp() || m_portFailed)
        m_run.RemoveDevice(m_fields.deviceText);
    m_run.WorkerExited(*this);
}

void CSend_SMS_Thread::RunFromSource() {
    RowSource& source = *m_run.Context().rowSource;
    while (StillWanted()) {
        if (m_run.State().paused.load() == 1) {
            m_run.Context().clock.Sleep(1000, [this] { return m_run.StopRequested(); });
            continue;
        }
        const int row = source.NextRow([this] { return !StillWanted(); });
        if (row < 0 || row >= m_fields.rowCount)
            break;
        // A row this process failed earlier comes back when a retry pass of the shared job hands it out again.
        if (!m_run.Job().ClaimTest(row) && !m_run.Job().RequeueRow(row))
            continue;
        HandleRow(row);
        if (QuotaUsedUp() || m_portFailed)
            break;
        PauseRule();
    }
}

void CSend_SMS_Thread::HandleRow(int row) {
    const SendContext& ctx = m_run.Context();
    SendJob& job = m_run.Job();
    SendState& state = m_run.State();
    const QString number = job.Text(row, SendJob::kNumber);
    const QString message = job.Text(row, SendJob::kMessage);

    // Skip decisions: exclusion first, then duplicates; a skipped row is neither sent, logged nor counted
    // for pauses.
    SendJob::Skip skip = SendJob::Skip::None;
    if (ctx.options.useExclusion && ctx.exclusion && ctx.exclusion->IsExcluded(number))
        skip = SendJob::Skip::Excluded;
    else if (ctx.options.skipDuplicates && job.IsLaterDuplicate(row))
        skip = SendJob::Skip::Skipped;
    if (skip != SendJob::Skip::None) {
        if (job.RecordSkip(row, m_worker, skip)) {
            state.processedCount.fetch_add(1);
            if (ctx.observer)
                ctx.observer->RowChanged(row);
            m_run.ReportProgress();
        }
        return;
    }

    if (!job.Take(row, m_worker))
        return;
    // The row's claim is durable before the first byte of its submission; without it the row waits again.
    if (!m_run.ClaimRow(row, m_fields.imei)) {
        job.GiveBack(row, m_worker);
        return;
    }
    if (ctx.observer)
        ctx.observer->RowChanged(row);

    const QString result = Submit(number, message);
    m_run.RecordJournalResult(row, result, m_lastReferences.join(QLatin1Char(',')));
    if (!m_run.IsCurrent(m_fields.generation))
        return;
    const SendJob::Recorded recorded =
        job.RecordResult(row, m_worker, result,
                         {ctx.options.retriesOn, state.totalRetries.load(), ctx.options.retryAllErrors});
    if (recorded.written && recorded.sent && ctx.options.deliveryReports) {
        job.SetText(row, SendJob::kReferences, m_lastReferences.join(QLatin1Char(',')));
        job.SetText(row, SendJob::kDelivery, DeliveryMatcher::kAwaiting);
        if (DeliveryRun* deliveries = m_run.Deliveries()) {
            std::vector<int> references;
            for (const QString& reference : m_lastReferences)
                references.push_back(reference.toInt());
            deliveries->Sent(row, m_fields.index, m_run.NumberToSend(number), references);
        }
    }
    if (recorded.written) {
        state.processedCount.fetch_add(1);
        if (recorded.sent)
            m_sentCount.fetch_add(1);
        state.pauseCounter.fetch_add(1);
    }

    // The sent-items log takes a row once, with its final result when retries are on.
    if (recorded.written && recorded.final)
        m_run.LogSentItem(row);
    if (recorded.written)
        m_run.SaveTemplate(row);

    if (ctx.observer)
        ctx.observer->RowChanged(row);
    m_run.ReportProgress();
}

QString CSend_SMS_Thread::Submit(const QString& number, const QString& message) {
    m_lastReferences.clear();
    if (m_fields.smsMode != 1 && m_fields.smsMode != 2)
        return SubmissionResult::kUnsupportedMode;
    const bool notDetected =
        DetailsText::GetDetailsValue(m_fields.details, QStringLiteral("SMS Capabilities :")) == QLatin1String("Not Detected");
    SmsRequest request;
    request.message = message;
    request.smscNumber = m_fields.useCustomSmsc ? m_fields.smsc : QString();
    request.recipientNumber = m_run.NumberToSend(number);
    request.UseCallerSettings = 0;
    const SendContext& ctx = m_run.Context();
    bool begun = false; // the submission's first byte may have been written
    try {
        SmsTransport& port = ctx.slots->Transport(m_fields.index, ctx.options.nonOverlapped);
        if (!port.IsOpen())
            CSMSException::ThrowSystemError(EBADF);
        port.SetStatusReports(ctx.options.deliveryReports);
        begun = true;
        port.Submit(request, m_fields.smsMode == 1 ? SmsMode::Pdu : SmsMode::Text);
        for (int reference : port.MessageReferences())
            m_lastReferences << QString::number(reference);
        return SubmissionResult::Sent(notDetected);
    } catch (const CSMSException& e) {
        // A port that failed at the system level (device gone, I/O error) takes no further rows: the other
        // devices send the rest instead of this one failing them all within seconds.
        if (e.IsSystemError() && e.SystemErrorNumber() != 0) {
            m_portFailed = true;
            if (ctx.observer)
                ctx.observer->Diagnostic(QStringLiteral("Error : %1 (%2)").arg(GetErrorText(e), m_fields.port));
            // The port failed during the submission: the device may have sent the message before it went, so
            // the row is never sent again without the user's consent.
            if (begun)
                return RunJournal::kUnconfirmed;
        }
        return SubmissionResult::FromException(e, notDetected);
    }
}

void CSend_SMS_Thread::PauseRule() {
    const SendContext& ctx = m_run.Context();
    SendState& state = m_run.State();
    if (m_pauseEvery <= 0)
        return;
    if (state.pauseCounter.load() > m_pauseEvery)
        state.pauseCounter.store(m_pauseEvery);
    if (!m_run.IsCurrent(m_fields.generation) || !ctx.options.delayedDelivery || m_pauseMs < 0 ||
        state.pauseCounter.load() != m_pauseEvery || state.processedCount.load() == m_fields.rowCount)
        return;
    const auto stopAll = [this] { return m_run.StopRequested(); };
    int expected = 0;
    if (!state.paused.compare_exchange_strong(expected, 1))
        return; // another worker's pause is running
    const int total = m_pauseMs;
    state.pauseRemainingMs.store(total - 1000);
    if (ctx.observer) {
        ctx.observer->ActivityReset();
        ctx.observer->PauseLabel(PauseSetting::CountdownText(total));
    }
    // Count down a local copy in one-second steps; the window's countdown may end the pause early.
    int local = total;
    while (local > 0 && !stopAll() && state.pauseRemainingMs.load() > 0) {
        ctx.clock.Sleep(1000, stopAll);
        local -= 1000;
    }
    ctx.clock.Sleep(1000, stopAll);
    if (total >= 60000 && state.pauseRemainingMs.load() > 0 && !stopAll())
        ctx.clock.Sleep(state.pauseRemainingMs.load(), stopAll);
    state.pauseRemainingMs.store(0);
    state.pauseCounter.store(0);
    state.paused.store(0);
    if (ctx.observer)
        ctx.observer->PauseLabel(QString());
}
