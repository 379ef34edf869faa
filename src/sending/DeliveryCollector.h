#pragma once

#include "exclusion/NumberComparison.h"
#include "records/InboxKeys.h"
#include "records/InboxStore.h"
#include "records/SentItemsStore.h"
#include "sending/DeliveryMatcher.h"
#include "sms/ConcatReassembler.h"
#include "sms/UnsolicitedSms.h"

#include <QHash>
#include <QString>

#include <functional>
#include <set>
#include <vector>

class CSMSSerialPort;
class DeliveryPort;
class ExclusionStore;

// Collects what devices hold or announce after messages were sent (3GPP TS 27.005 3.4.1, 3.4.2): status
// reports are matched to the sent-items records awaiting them (DeliveryMatcher) and give them their delivery
// state; received messages (parts of a concatenated one put together) go to the inbox, and an opt-out reply
// puts its sender on the opt-out exclusion list; a report that matches nothing and a PDU that cannot be read go
// to the inbox as they came, with the reason. Nothing is deleted from a device before it is stored. Used from
// one thread.
class DeliveryCollector {
public:
    struct Stores {
        SentItemsStore* sentItems = nullptr; // required for LoadSentItems / SaveSentItems
        InboxStore* inbox = nullptr;         // null: nothing is stored, so nothing is deleted from a device
        ExclusionStore* exclusion = nullptr; // null: opt-outs are marked in the inbox but put on no list
    };
    struct Totals {
        int delivered = 0;
        int failed = 0;
        int unmatchedReports = 0;
        int messages = 0;
        int optOuts = 0;
        int undecodable = 0;
        int alreadyStored = 0; // read again (a deletion that failed, a second listing): stored once, deleted again
    };

    DeliveryCollector(Stores stores, NumberComparison comparison, QString optOutList = QStringLiteral("Opt-outs"));
    // The words that make a reply an opt-out (OptOut::DefaultKeywords() unless set).
    void SetOptOutKeywords(QStringList keywords) { m_optOutKeywords = std::move(keywords); }

    // Reads the sent items and registers every record awaiting a delivery report. False with the reason when
    // the file could not be read.
    [[nodiscard]] bool LoadSentItems(FileError* error = nullptr);
    std::size_t AwaitedParts() const { return m_matcher.AwaitedParts(); }
    qsizetype LoadedRecords() const { return m_records.size(); }

    // Besides the sent items: the caller's own items (a run's job rows, numbered after the loaded records), each
    // registered when it was sent; every change of an item's delivery state goes to the sink first, on the thread
    // that handed over the report, and to the loaded records when the sink returns false.
    using DeliverySink = std::function<bool(int item, const DeliveryMatcher::Outcome& outcome)>;
    void SetDeliverySink(DeliverySink sink) { m_sink = std::move(sink); }
    void Expect(int item, const QString& device, const QString& recipient, const std::vector<int>& references) {
        m_matcher.Expect(item, device, recipient, references);
    }

    // PDU mode and the indications for reports and messages (AT+CNMI as the device offers it). Throws
    // CSMSException when the device does not answer. Returns the device's key (DeviceKey) and keeps it for the
    // port's name.
    QString Prepare(CSMSSerialPort& port);
    // What names a device when its reports are matched: its IMEI (a port may change its name between a run and
    // its reports), else the port name.
    static QString DeviceKey(CSMSSerialPort& port);
    // The key of a port prepared elsewhere (a run's worker knows its device's IMEI).
    void SetDeviceKey(const QString& portName, const QString& key) { m_keys.insert(portName, key); }

    // One pass over an open, prepared port: what it announced since the last pass (+CDS, +CMT), then its
    // stored reports ("SR") and messages ("SM"). nowMs: the caller's steady clock, for the time-out of a
    // concatenated message whose part is missing.
    void Collect(DeliveryPort& port, qint64 nowMs);
    void Collect(CSMSSerialPort& port, qint64 nowMs);
    // Indications framed from what the port's tap saw (DeliveryStream): +CDS and +CMT are handled at once; a
    // +CDSI or +CMTI has its storage read (and emptied of what was stored) on the port. With a tap, the
    // indications inside the collector's own replies are left to the tap, so none is handled twice.
    // textMode: the device is in text mode and goes back to it after a listing (which is made in PDU mode).
    void Feed(DeliveryPort& port, const std::vector<UnsolicitedSms::Item>& items, qint64 nowMs, bool textMode);
    void SetTapped(bool tapped) { m_tapped = tapped; }
    // Reads (and empties of what gets stored) the device's report and message storages, as after +CDSI and +CMTI:
    // for what came while no program listened, and for devices that store without a word.
    void ListStored(DeliveryPort& port, qint64 nowMs, bool textMode);
    // Writes the delivery states back into the sent items when one changed; true when nothing needed writing.
    [[nodiscard]] bool SaveSentItems(FileError* error = nullptr);

    const Totals& Counts() const { return m_totals; }
    const QList<SentItemRecord>& SentItems() const { return m_records; }

    // A concatenated message still missing a part after this long is stored as far as it came.
    static constexpr qint64 kMissingPartTimeoutMs = 10 * 60 * 1000;

private:
    // True when the item was handled (kept where it belongs), so its stored copy may be deleted.
    // A device as reports are matched (key) and as the inbox shows it (port).
    struct Origin {
        QString key;
        QString port;
    };
    Origin OriginOf(const DeliveryPort& port) const;
    bool Handle(const Origin& from, const UnsolicitedSms::Item& item, qint64 nowMs,
                std::vector<int>* completedIndexes);
    bool HandleReport(const Origin& from, const IncomingPdu& pdu, const QString& key);
    bool StoreMessage(const QString& device, const QString& number, const QString& sent, const QString& text,
                      const QStringList& raw, const QStringList& keys, const QString& reason);
    // Appends to the inbox and remembers the record's keys; false when there is no inbox or the write failed.
    bool Store(const InboxRecord& record);
    // Whether the inbox holds the PDU of this key already (counted as read again when it does).
    bool AlreadyStored(const QString& key);
    void ListStorage(DeliveryPort& port, const QString& memory, qint64 nowMs);

    Stores m_stores;
    QString m_optOutList;
    QStringList m_optOutKeywords;
    DeliveryMatcher m_matcher;
    QList<SentItemRecord> m_records;
    std::set<int> m_changed; // records whose delivery state changed since loading
    ConcatReassembler m_parts;
    struct PartPdu {
        QString raw; // as the device gave it
        QString key; // InboxKeys::KeyOf
    };
    QHash<QString, PartPdu> m_partPdus; // parts waiting, by PartKey
    std::optional<InboxKeys> m_inboxKeys; // with an inbox: what it holds
    Totals m_totals;
    DeliverySink m_sink;
    QHash<QString, QString> m_keys; // device key by port name
    bool m_tapped = false;
};
