#pragma once

#include "exclusion/ExclusionStore.h"
#include "records/InboxStore.h"
#include "records/SentItemsStore.h"
#include "sending/DeliveryCollector.h"
#include "sending/DeliveryPort.h"
#include "sending/DeliveryStream.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

class SendRun;

// Status reports and replies of a run with "Request delivery reports". Each worker's port, over either transport,
// is tapped (DeliveryPort::SetReceiveTap), so indications that arrive between and inside command replies are kept;
// the worker hands them over between rows (Poll). A report gives its job row the delivery state (the sending
// window's column, the status export) and, once the row is in the sent items, its record there; a message goes
// to the inbox. After the run's end the ports stay open and are read twice a second until the sending window
// closes (Stop). Devices are known by IMEI (else port name), as the sent items record them.
//
// Owned by the run; every member locks, workers call from their threads.
class DeliveryRun {
public:
    explicit DeliveryRun(SendRun& run);
    ~DeliveryRun(); // Stop
    DeliveryRun(const DeliveryRun&) = delete;
    DeliveryRun& operator=(const DeliveryRun&) = delete;

    // A worker starts on a slot: the port of the slot's transport (overlapped or not) is tapped from now on.
    void Attach(int slot, const QString& portName, const QString& imei, bool textMode);
    // A row was sent from the slot: its parts (references from "+CMGS: <mr>") await reports.
    void Sent(int row, int slot, const QString& recipient, const std::vector<int>& references);
    // On the worker's thread, between rows: what the slot's port said since the last call.
    void Poll(int slot);
    // The worker leaves the slot (last Poll included): the port is the after-run reader's from now on.
    void Detach(int slot);

    // The run has ended: its delivery states go to the sent items, then the ports are read until Stop.
    void RunEnded();
    // The sending window closes: the after-run reading ends (waited for: the ports are closed next).
    void EndIdle();
    // Ends the reading, takes the taps off the ports and writes the last states to the sent items. Idempotent;
    // called once no worker uses the ports.
    void Stop();

    // The name a row's device has in the sent items and in matching: its IMEI, else its port name.
    QString DeviceKey(const QString& portName) const;

    // How often the ports are read after the run (ms).
    static constexpr int kIdlePollMs = 500;
    // How often the storages are listed after the run (ms on the run's clock), for devices that store reports
    // without a word.
    static constexpr int kListEveryMs = 10000;

private:
    struct Tap {
        std::unique_ptr<DeliveryPort> port;
        QByteArray bytes;
        DeliveryStream stream;
        bool textMode = false;
        bool failed = false; // the port failed after the run: no longer read
        bool active = false; // a worker uses the port: only it polls
        qint64 listedMs = -1; // when the storages were last read (-1: not yet)
    };
    // listAfterMs: the storages are listed too when they were not for this long (0: whenever not yet).
    void PollLocked(Tap& tap, qint64 listAfterMs = 0);
    bool OnDelivery(int item, const DeliveryMatcher::Outcome& outcome);
    void SaveSentItemsLocked();
    void Idle();
    qint64 NowMs() const;

    SendRun& m_run;
    std::optional<SentItemsStore> m_sentItems; // a copy of the run's, for the rewrite
    std::unique_ptr<InboxStore> m_inbox;
    std::unique_ptr<ExclusionStore> m_exclusion;
    std::unique_ptr<DeliveryCollector> m_collector;

    mutable std::mutex m_mutex; // guards everything below and the collector
    std::map<int, Tap> m_taps;  // by slot
    QHash<QString, QString> m_keys; // device key by port name
    std::set<int> m_changedRows;    // rows whose delivery state changed since the last save
    // The sent items awaiting reports from earlier runs are matched too (their reports may be listed from a
    // device's storage now); rows are the collector's items from this number on. Loaded at the first Attach.
    int m_rowBase = 0;
    bool m_loaded = false;
    std::thread m_idle;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_stopped = false;
};
