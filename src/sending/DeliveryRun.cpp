#include "sending/DeliveryRun.h"

#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sending/SendRun.h"

#include <algorithm>
#include <chrono>

namespace {
const auto kStart = std::chrono::steady_clock::now();
} // namespace

DeliveryRun::DeliveryRun(SendRun& run) : m_run(run) {
    const SendContext& ctx = run.Context();
    if (ctx.sentItems)
        m_sentItems.emplace(ctx.sentItems->Path());
    DeliveryCollector::Stores stores;
    if (m_sentItems)
        stores.sentItems = &*m_sentItems;
    if (ctx.delivery.paths) {
        m_inbox = std::make_unique<InboxStore>(ctx.delivery.paths->InboxFile());
        m_exclusion = std::make_unique<ExclusionStore>(*ctx.delivery.paths);
        stores.inbox = m_inbox.get();
        stores.exclusion = m_exclusion.get();
    }
    m_collector = std::make_unique<DeliveryCollector>(stores, ctx.comparison, ctx.delivery.optOutList);
    m_collector->SetOptOutKeywords(ctx.delivery.optOutKeywords);
    m_collector->SetTapped(true);
    m_collector->SetDeliverySink(
        [this](int item, const DeliveryMatcher::Outcome& outcome) { return OnDelivery(item, outcome); });
}

DeliveryRun::~DeliveryRun() { Stop(); }

qint64 DeliveryRun::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - kStart).count();
}

QString DeliveryRun::DeviceKey(const QString& portName) const {
    std::lock_guard lock(m_mutex);
    return m_keys.value(portName, portName);
}

void DeliveryRun::Attach(int slot, const QString& portName, const QString& imei, bool textMode) {
    const SendContext& ctx = m_run.Context();
    if (ctx.slots == nullptr)
        return;
    std::lock_guard lock(m_mutex);
    if (m_stopped)
        return;
    if (!m_loaded) {
        // Before this run's first row is sent, so none of its records is among them.
        m_loaded = true;
        if (m_sentItems && m_collector->LoadSentItems())
            m_rowBase = static_cast<int>(m_collector->LoadedRecords());
    }
    const QString key = imei.isEmpty() ? portName : imei;
    m_keys.insert(portName, key);
    m_collector->SetDeviceKey(portName, key);
    Tap& tap = m_taps[slot];
    if (ctx.options.nonOverlapped)
        tap.port = std::make_unique<IrdaDeliveryPort>(ctx.slots->IrdaPort(slot));
    else
        tap.port = std::make_unique<SerialDeliveryPort>(ctx.slots->SerialPort(slot));
    tap.textMode = textMode;
    tap.failed = false;
    tap.active = true;
    tap.listedMs = -1;
    tap.stream.SetMode(textMode ? UnsolicitedSms::SmsMode::Text : UnsolicitedSms::SmsMode::Pdu);
    tap.port->SetReceiveTap(&tap.bytes);
}

void DeliveryRun::Sent(int row, int slot, const QString& recipient, const std::vector<int>& references) {
    std::lock_guard lock(m_mutex);
    const auto tap = m_taps.find(slot);
    const QString port = tap != m_taps.end() && tap->second.port ? tap->second.port->PortName() : QString();
    m_collector->Expect(m_rowBase + row, m_keys.value(port, port), recipient, references);
}

void DeliveryRun::Poll(int slot) {
    std::lock_guard lock(m_mutex);
    const auto tap = m_taps.find(slot);
    if (tap != m_taps.end())
        PollLocked(tap->second);
}

void DeliveryRun::Detach(int slot) {
    std::lock_guard lock(m_mutex);
    const auto tap = m_taps.find(slot);
    if (tap != m_taps.end()) {
        PollLocked(tap->second);
        tap->second.active = false;
    }
}

void DeliveryRun::PollLocked(Tap& tap, qint64 listAfterMs) {
    if (tap.port == nullptr || tap.failed || !tap.port->IsOpen())
        return;
    try {
        // What arrived since the last command: read now, so it reaches the tap.
        static_cast<void>(tap.port->ReadWaiting());
        // The listing a stored notice asks for is tapped as well; the stream leaves its +CMGL lines to the
        // collector, which reads them from the reply.
        while (!tap.bytes.isEmpty()) {
            const QByteArray bytes = std::exchange(tap.bytes, QByteArray());
            m_collector->Feed(*tap.port, tap.stream.Feed(bytes), NowMs(), tap.textMode);
        }
        // The storages once after the first row (the device is prepared by then: what it stored before the run),
        // then now and then after the run.
        const qint64 now = NowMs();
        if (tap.listedMs < 0 || (listAfterMs > 0 && now - tap.listedMs >= listAfterMs)) {
            tap.listedMs = now;
            m_collector->ListStored(*tap.port, now, tap.textMode);
        }
    } catch (const CSMSException&) {
        // The worker finds out about its port on its next submission; after the run the port is left alone.
        tap.failed = true;
    }
}

bool DeliveryRun::OnDelivery(int item, const DeliveryMatcher::Outcome& outcome) {
    if (item < m_rowBase)
        return false; // a sent item of an earlier run: the collector keeps it
    const int row = item - m_rowBase;
    m_run.Job().SetText(row, SendJob::kDelivery, outcome.text);
    m_changedRows.insert(row);
    if (m_run.Context().observer)
        m_run.Context().observer->RowChanged(row);
    return true;
}

void DeliveryRun::SaveSentItemsLocked() {
    static_cast<void>(m_collector->SaveSentItems()); // earlier runs' records (kept for the next save on failure)
    if (m_changedRows.empty() || !m_sentItems)
        return;
    // Read, changed and rewritten as one step under the log's locks: an entry appended meanwhile (by this run's
    // journal thread or another program) is kept.
    const bool saved = m_sentItems->Update(
        [this](QList<SentItemRecord>& records) {
            bool changed = false;
            for (int row : m_changedRows) {
                const SendJob::Row r = m_run.Job().RowAt(row);
                const QString number = m_run.NumberToSend(r[SendJob::kNumber]);
                const QString device = m_keys.value(r[SendJob::kUsePort], r[SendJob::kUsePort]);
                // The run's own record is the latest one of this number, device and references still awaiting.
                for (qsizetype i = records.size() - 1; i >= 0; --i) {
                    SentItemRecord& record = records[i];
                    if (record.delivery == DeliveryMatcher::kAwaiting && record.number == number &&
                        record.device == device && record.references == r[SendJob::kReferences]) {
                        record.delivery = r[SendJob::kDelivery];
                        changed = true;
                        break;
                    }
                }
            }
            return changed;
        },
        nullptr);
    if (!saved) {
        if (m_run.Context().observer)
            m_run.Context().observer->Diagnostic(QStringLiteral("Sent items file could not be written."));
        return; // kept for the next save
    }
    m_changedRows.clear();
}

void DeliveryRun::RunEnded() {
    std::lock_guard lock(m_mutex);
    SaveSentItemsLocked();
    if (m_stopping || m_stopped || m_idle.joinable() || m_taps.empty())
        return;
    m_idle = std::thread([this] { Idle(); });
}

void DeliveryRun::Idle() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        for (auto& [slot, tap] : m_taps) {
            if (!tap.active)
                PollLocked(tap, std::max(1, m_run.Context().clock.RealMs(kListEveryMs)));
        }
        SaveSentItemsLocked();
        m_wake.wait_for(lock, std::chrono::milliseconds(kIdlePollMs), [this] { return m_stopping; });
    }
}

void DeliveryRun::EndIdle() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    // The ports are closed once the window is: the reader must be done with them.
    if (m_idle.joinable() && m_idle.get_id() != std::this_thread::get_id())
        m_idle.join();
}

void DeliveryRun::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return;
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_idle.joinable() && m_idle.get_id() != std::this_thread::get_id())
        m_idle.join();
    std::lock_guard lock(m_mutex);
    for (auto& [slot, tap] : m_taps) {
        if (tap.port)
            tap.port->SetReceiveTap(nullptr);
    }
    SaveSentItemsLocked();
    m_stopped = true;
}
