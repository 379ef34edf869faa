#pragma once

#include "exclusion/NumberComparison.h"
#include "records/InboxStore.h"
#include "records/SentItemsStore.h"
#include "sending/DeliveryMatcher.h"
#include "sms/ConcatReassembler.h"
#include "sms/UnsolicitedSms.h"

#include <QHash>
#include <QString>

#include <set>

class CSMSSerialPort;
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
        SentItemsStore* sentItems = nullptr; // required
        InboxStore* inbox = nullptr;         // required
        ExclusionStore* exclusion = nullptr; // null: opt-outs are marked in the inbox but put on no list
    };
    struct Totals {
        int delivered = 0;
        int failed = 0;
        int unmatchedReports = 0;
        int messages = 0;
        int optOuts = 0;
        int undecodable = 0;
    };

    DeliveryCollector(Stores stores, NumberComparison comparison, QString optOutList = QStringLiteral("Opt-outs"));
    // The words that make a reply an opt-out (OptOut::DefaultKeywords() unless set).
    void SetOptOutKeywords(QStringList keywords) { m_optOutKeywords = std::move(keywords); }

    // Reads the sent items and registers every record awaiting a delivery report. False with the reason when
    // the file could not be read.
    [[nodiscard]] bool LoadSentItems(FileError* error = nullptr);
    std::size_t AwaitedParts() const { return m_matcher.AwaitedParts(); }

    // PDU mode and the indications for reports and messages (AT+CNMI as the device offers it). Throws
    // CSMSException when the device does not answer.
    static void Prepare(CSMSSerialPort& port);
    // One pass over an open, prepared port: what it announced since the last pass (+CDS, +CMT), then its
    // stored reports ("SR") and messages ("SM"). nowMs: the caller's steady clock, for the time-out of a
    // concatenated message whose part is missing.
    void Collect(CSMSSerialPort& port, qint64 nowMs);
    // Writes the delivery states back into the sent items when one changed; true when nothing needed writing.
    [[nodiscard]] bool SaveSentItems(FileError* error = nullptr);

    const Totals& Counts() const { return m_totals; }
    const QList<SentItemRecord>& SentItems() const { return m_records; }

    // A concatenated message still missing a part after this long is stored as far as it came.
    static constexpr qint64 kMissingPartTimeoutMs = 10 * 60 * 1000;

private:
    // True when the item was handled (kept where it belongs), so its stored copy may be deleted.
    bool Handle(const QString& device, const UnsolicitedSms::Item& item, qint64 nowMs,
                std::vector<int>* completedIndexes);
    bool HandleReport(const QString& device, const IncomingPdu& pdu);
    bool StoreMessage(const QString& device, const QString& number, const QString& sent, const QString& text,
                      const QString& raw, const QString& reason);
    void ListStorage(CSMSSerialPort& port, const QString& memory, qint64 nowMs);

    Stores m_stores;
    QString m_optOutList;
    QStringList m_optOutKeywords;
    DeliveryMatcher m_matcher;
    QList<SentItemRecord> m_records;
    std::set<int> m_changed; // records whose delivery state changed since loading
    ConcatReassembler m_parts;
    QHash<QString, QString> m_partRaw; // PDU hex of parts waiting, by "device|memory|index"
    Totals m_totals;
};
