#include "sending/DeliveryCollector.h"

#include "common/AnsiCodec.h"
#include "devices/DeviceQueries.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/OptOut.h"
#include "modem/CSMSException.h"
#include "modem/CSMSSerialPort.h"
#include "sending/DeliveryPort.h"
#include "sms/SubmissionSteps.h"

#include <QDateTime>

namespace {

QString Now() {
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

// The message references of a record, "17,18" -> {17, 18}; an unreadable one as -1.
std::vector<int> References(const QString& text) {
    std::vector<int> references;
    for (const QString& piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = piece.trimmed().toInt(&ok);
        references.push_back(ok ? value : -1);
    }
    return references;
}

QString PartKey(const QString& device, const QString& originator, int reference, int sequence) {
    return QStringLiteral("%1|%2|%3|%4").arg(device, originator).arg(reference).arg(sequence);
}

} // namespace

DeliveryCollector::DeliveryCollector(Stores stores, NumberComparison comparison, QString optOutList)
    : m_stores(stores), m_optOutList(std::move(optOutList)), m_optOutKeywords(OptOut::DefaultKeywords()),
      m_matcher(std::move(comparison)) {
    if (m_stores.inbox)
        m_inboxKeys.emplace(m_stores.inbox->Path());
}

bool DeliveryCollector::LoadSentItems(FileError* error) {
    if (!m_stores.sentItems->Load(&m_records, error))
        return false;
    m_changed.clear();
    for (int i = 0; i < m_records.size(); ++i) {
        const SentItemRecord& r = m_records.at(i);
        if (r.delivery == DeliveryMatcher::kAwaiting)
            m_matcher.Expect(i, r.device, r.number, References(r.references));
    }
    return true;
}

QString DeliveryCollector::Prepare(CSMSSerialPort& port) {
    if (port.Exchange("AT+CMGF=0\r") == ModemReply::FinalResult::None)
        CSMSException::ThrowNoResponse();
    if (port.Command("AT+CNMI=?\r")) {
        const QString command = SubmissionSteps::IndicationCommand(port.LastReply());
        if (!command.isEmpty())
            static_cast<void>(port.Command(command.toLatin1() + '\r'));
    }
    const QString key = DeviceKey(port);
    m_keys.insert(port.PortName(), key);
    return key;
}

QString DeliveryCollector::DeviceKey(CSMSSerialPort& port) {
    const QString imei = DeviceQueries(port).GetImei();
    return imei.isEmpty() ? port.PortName() : imei;
}

DeliveryCollector::Origin DeliveryCollector::OriginOf(const DeliveryPort& port) const {
    return {m_keys.value(port.PortName(), port.PortName()), port.PortName()};
}

void DeliveryCollector::ListStored(DeliveryPort& port, qint64 nowMs, bool textMode) {
    std::vector<UnsolicitedSms::Item> notices(2);
    notices[0].source = UnsolicitedSms::Item::Source::Cdsi;
    notices[1].source = UnsolicitedSms::Item::Source::Cmti;
    Feed(port, notices, nowMs, textMode);
}

void DeliveryCollector::Feed(DeliveryPort& port, const std::vector<UnsolicitedSms::Item>& items, qint64 nowMs,
                             bool textMode) {
    const Origin from = OriginOf(port);
    bool listReports = false;
    bool listMessages = false;
    for (const UnsolicitedSms::Item& item : items) {
        switch (item.source) {
        case UnsolicitedSms::Item::Source::Cds:
        case UnsolicitedSms::Item::Source::Cmt:
            static_cast<void>(Handle(from, item, nowMs, nullptr));
            break;
        case UnsolicitedSms::Item::Source::Cdsi:
            listReports = true;
            break;
        case UnsolicitedSms::Item::Source::Cmti:
            listMessages = true;
            break;
        default:
            break;
        }
    }
    if (!listReports && !listMessages)
        return;
    // Listings are read in PDU mode, so every field of every stored item is there.
    if (textMode && !port.Command("AT+CMGF=0\r"))
        return;
    if (listReports)
        ListStorage(port, QStringLiteral("SR"), nowMs);
    if (listMessages)
        ListStorage(port, QStringLiteral("SM"), nowMs);
    if (textMode)
        static_cast<void>(port.Command("AT+CMGF=1\r"));
}

void DeliveryCollector::Collect(CSMSSerialPort& port, qint64 nowMs) {
    SerialDeliveryPort reached(port);
    Collect(reached, nowMs);
}

void DeliveryCollector::Collect(DeliveryPort& port, qint64 nowMs) {
    // What the device announced on its own since the last command; stored notices (+CDSI, +CMTI) are left to
    // the listings below.
    const QByteArray pending = port.ReadWaiting();
    if (!pending.isEmpty()) {
        for (const UnsolicitedSms::Item& item :
             UnsolicitedSms::ReadItems(AnsiCodec::Decode(pending), UnsolicitedSms::SmsMode::Pdu)) {
            if (item.source == UnsolicitedSms::Item::Source::Cds || item.source == UnsolicitedSms::Item::Source::Cmt)
                static_cast<void>(Handle(OriginOf(port), item, nowMs, nullptr));
        }
    }
    ListStorage(port, QStringLiteral("SR"), nowMs);
    ListStorage(port, QStringLiteral("SM"), nowMs);
}

void DeliveryCollector::ListStorage(DeliveryPort& port, const QString& memory, qint64 nowMs) {
    if (!port.Command("AT+CPMS=\"" + memory.toLatin1() + "\"\r"))
        return; // no such storage on this device
    if (!port.Command("AT+CMGL=4\r"))
        return;
    const Origin from = OriginOf(port);
    std::vector<int> toDelete;
    for (const UnsolicitedSms::Item& item : UnsolicitedSms::ReadItems(port.LastReply(), UnsolicitedSms::SmsMode::Pdu)) {
        if (item.source != UnsolicitedSms::Item::Source::Cmgl) {
            // An indication that came inside the listing; a tap sees it too and hands it over itself.
            if (!m_tapped &&
                (item.source == UnsolicitedSms::Item::Source::Cds || item.source == UnsolicitedSms::Item::Source::Cmt))
                static_cast<void>(Handle(from, item, nowMs, nullptr));
            continue;
        }
        std::vector<int> completed;
        if (Handle(from, item, nowMs, &completed)) {
            toDelete.push_back(item.index);
            toDelete.insert(toDelete.end(), completed.begin(), completed.end());
        }
    }
    if (memory == QLatin1String("SM")) {
        // Parts waiting too long for the rest: stored as far as they came, then taken off the device.
        for (const ConcatReassembler::Group& group : m_parts.TakeExpired(nowMs, kMissingPartTimeoutMs)) {
            QStringList missing;
            QStringList raw;
            QStringList keys;
            for (int n : group.Missing())
                missing << QString::number(n);
            for (const ConcatReassembler::Part& part : group.parts) {
                const PartPdu pdu =
                    m_partPdus.take(PartKey(group.key.device, group.key.originator, group.key.reference, part.sequence));
                raw << pdu.raw;
                keys << pdu.key;
            }
            if (StoreMessage(
                    group.key.device, group.key.originator, QString(), group.Text(), raw, keys,
                    QStringLiteral("Part %1 of %2 missing").arg(missing.join(QLatin1Char(','))).arg(group.key.total))) {
                for (const ConcatReassembler::Part& part : group.parts)
                    if (part.id >= 0)
                        toDelete.push_back(static_cast<int>(part.id));
            }
        }
    }
    for (int index : toDelete) {
        if (index >= 0)
            static_cast<void>(port.Command("AT+CMGD=" + QByteArray::number(index) + '\r'));
    }
}

bool DeliveryCollector::Handle(const Origin& from, const UnsolicitedSms::Item& item, qint64 nowMs,
                               std::vector<int>* completedIndexes) {
    const QString& device = from.port;
    const IncomingPdu& pdu = item.message;
    // What the device gave, as the inbox keeps it and as its key is made of (by the device's key, so a port
    // that changed its name still gives the same key).
    const QString given = pdu.rawHex.isEmpty() ? item.lines.join(QLatin1Char('\n')) : pdu.rawHex;
    const QString key = InboxKeys::KeyOf(from.key, given);
    switch (pdu.kind) {
    case IncomingPdu::Kind::Undecodable: {
        if (AlreadyStored(key))
            return true;
        InboxRecord record;
        record.kind = InboxRecord::Kind::Undecodable;
        record.received = Now();
        record.device = device;
        record.raw = given;
        record.reason = pdu.error;
        record.keys = QStringList{key};
        ++m_totals.undecodable;
        return Store(record);
    }
    case IncomingPdu::Kind::StatusReport:
        return HandleReport(from, pdu, key);
    case IncomingPdu::Kind::Deliver:
        break;
    }
    const SmsDeliver& deliver = *pdu.deliver;
    const QString number = deliver.originator.value;
    const QString sent = deliver.serviceCentreTime.Text();
    const std::optional<TpConcatenation>& concat = deliver.userData.header.concatenation;
    if (AlreadyStored(key))
        return true; // the message, or the message this part belongs to, is in the inbox
    if (!concat)
        return StoreMessage(device, number, sent, deliver.userData.text, {pdu.rawHex}, {key}, QString());

    ConcatReassembler::Part part;
    part.key = {device, number, concat->reference, concat->total};
    part.sequence = concat->sequence;
    part.text = deliver.userData.text;
    part.id = item.index;
    const ConcatReassembler::AddResult added = m_parts.Add(part, nowMs);
    switch (added.outcome) {
    case ConcatReassembler::Outcome::Invalid:
        return StoreMessage(device, number, sent, deliver.userData.text, {pdu.rawHex}, {key},
                            QStringLiteral("Part %1 of %2 is out of range").arg(concat->sequence).arg(concat->total));
    case ConcatReassembler::Outcome::Duplicate:
    case ConcatReassembler::Outcome::Waiting:
        m_partPdus.insert(PartKey(device, number, concat->reference, concat->sequence), {pdu.rawHex, key});
        return false; // stays on the device until the whole message is stored
    case ConcatReassembler::Outcome::Completed:
        break;
    }
    const ConcatReassembler::Group& group = *added.completed;
    QStringList raw;
    QStringList keys;
    for (const ConcatReassembler::Part& each : group.parts) {
        const PartPdu partPdu = each.sequence == part.sequence
                                    ? PartPdu{pdu.rawHex, key}
                                    : m_partPdus.take(PartKey(device, number, concat->reference, each.sequence));
        raw << partPdu.raw;
        keys << partPdu.key;
        if (completedIndexes && each.id >= 0 && each.id != part.id)
            completedIndexes->push_back(static_cast<int>(each.id));
    }
    return StoreMessage(device, number, sent, group.Text(), raw, keys, QString());
}

bool DeliveryCollector::AlreadyStored(const QString& key) {
    // An inbox that cannot be read now is taken as not holding the key: stored again rather than lost.
    if (!m_inboxKeys || !m_inboxKeys->Refresh() || !m_inboxKeys->Contains(key))
        return false;
    ++m_totals.alreadyStored;
    return true;
}

bool DeliveryCollector::Store(const InboxRecord& record) {
    if (m_stores.inbox == nullptr || !m_stores.inbox->Append(record))
        return false;
    m_inboxKeys->Add(record.keys);
    return true;
}

bool DeliveryCollector::HandleReport(const Origin& from, const IncomingPdu& pdu, const QString& key) {
    const SmsStatusReport& report = *pdu.statusReport;
    const QString& device = from.port;
    // Messages are known by the device's key; records written before keys were IMEIs name the port.
    std::optional<DeliveryMatcher::Outcome> outcome =
        m_matcher.Match(from.key, report.messageReference, report.recipient.value, report.status);
    if (!outcome && from.port != from.key)
        outcome = m_matcher.Match(from.port, report.messageReference, report.recipient.value, report.status);
    if (outcome) {
        if (outcome->changed) {
            if (!m_sink || !m_sink(outcome->item, *outcome)) {
                m_records[outcome->item].delivery = outcome->text;
                m_changed.insert(outcome->item);
            }
            ++(outcome->state == DeliveryMatcher::State::Delivered ? m_totals.delivered : m_totals.failed);
        }
        return true;
    }
    // A report on no awaited part (or a "still trying" one) is kept in the inbox as it came, once.
    if (AlreadyStored(key))
        return true;
    InboxRecord record;
    record.kind = InboxRecord::Kind::Report;
    record.received = Now();
    record.device = device;
    record.number = report.recipient.value;
    record.sent = report.dischargeTime.Text();
    record.text = QStringLiteral("%1 (reference %2)")
                      .arg(report.status.IsDelivered()
                               ? DeliveryMatcher::kDelivered
                               : DeliveryMatcher::DeliveryText(DeliveryMatcher::State::Failed, report.status))
                      .arg(report.messageReference);
    record.raw = pdu.rawHex;
    record.keys = QStringList{key};
    ++m_totals.unmatchedReports;
    return Store(record);
}

bool DeliveryCollector::StoreMessage(const QString& device, const QString& number, const QString& sent,
                                     const QString& text, const QStringList& raw, const QStringList& keys,
                                     const QString& reason) {
    if (m_stores.inbox == nullptr)
        return false; // stays on the device
    InboxRecord record;
    record.kind = InboxRecord::Kind::Message;
    record.received = Now();
    record.device = device;
    record.number = number;
    record.sent = sent;
    record.text = text;
    record.raw = raw.join(QLatin1Char(' '));
    record.keys = keys;
    record.reason = reason;
    record.optOut = !number.isEmpty() && OptOut::IsOptOut(text, m_optOutKeywords);
    // The opt-out list first: a reply stored but not acted on would be read as honoured.
    if (record.optOut && m_stores.exclusion) {
        if (!OptOut::AddToList(*m_stores.exclusion, number, m_optOutList).Ok())
            return false;
        ++m_totals.optOuts;
    }
    if (!Store(record))
        return false;
    ++m_totals.messages;
    return true;
}

bool DeliveryCollector::SaveSentItems(FileError* error) {
    if (m_changed.empty())
        return true;
    // Records appended since loading (a run in another window or process) are kept: the states are applied to
    // the file as it is now, to the records still in their place, read and rewritten as one step under its locks.
    const bool saved = m_stores.sentItems->Update(
        [this](QList<SentItemRecord>& current) {
            for (int i : m_changed) {
                if (i >= current.size())
                    continue;
                SentItemRecord& now = current[i];
                const SentItemRecord& mine = m_records.at(i);
                if (now.number == mine.number && now.device == mine.device && now.references == mine.references &&
                    now.date == mine.date)
                    now.delivery = mine.delivery;
            }
            return true;
        },
        nullptr, error);
    if (!saved)
        return false;
    m_changed.clear();
    return true;
}
