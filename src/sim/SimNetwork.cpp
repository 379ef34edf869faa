#include "sim/SimNetwork.h"

#include "sim/SimTpduEncoder.h"

namespace {

const SimNumberRule* FirstMatch(const std::vector<SimNumberRule>& rules, const QString& number) {
    for (const SimNumberRule& rule : rules) {
        if (rule.Matches(number))
            return &rule;
    }
    return nullptr;
}

} // namespace

SimNetwork::SimNetwork(const SimProfile& profile, const QString& smsc)
    : m_profile(profile), m_smsc(smsc), m_clockOrigin(QDateTime::currentDateTime()) {}

QDateTime SimNetwork::WallClock(qint64 ms) const {
    const QDateTime t = m_clockOrigin.addMSecs(ms);
    return t.addMSecs(-t.time().msec());
}

int SimNetwork::Refusal(const QString& to) {
    if (const SimNumberRule* rule = FirstMatch(m_profile.rejects, to))
        return rule->code;
    if (const SimNumberRule* rule = FirstMatch(m_profile.tempFails, to)) {
        int& failed = m_tempFailures[to];
        if (failed < rule->tries) {
            ++failed;
            return rule->code;
        }
    }
    return 0;
}

void SimNetwork::Accepted(const SimSubmission& s, qint64 acceptedMs) {
    if (!s.statusReportRequested)
        return;
    const SimNumberRule* rule = FirstMatch(m_profile.reports, s.to);
    const int status = rule ? rule->code : 0x00; // TS 23.040 9.2.3.15: 0, short message received by the SME
    if (status == SimNumberRule::kNoReport)
        return;
    const qint64 due = acceptedMs + m_profile.reportDelayMs;
    SimSmsRecord record;
    record.statusReport = true;
    record.smsc = s.smsc.isEmpty() ? m_smsc : s.smsc;
    record.address = s.to;
    record.serviceCentreTime = WallClock(acceptedMs);
    record.dischargeTime = WallClock(due);
    record.messageReference = s.messageReference;
    record.status = status;
    record.tpdu = SimTpduEncoder::StatusReport(s.messageReference, s.to, record.smsc, record.serviceCentreTime,
                                               record.dischargeTime, status);
    Schedule(due, record);
}

bool SimNetwork::CheckIncoming(const SimIncomingMessage& message, QString* error) {
    const std::vector<SimEncodedTpdu> parts =
        SimTpduEncoder::Deliver(message, 0, QString(), QDateTime::currentDateTime(), error);
    if (parts.empty())
        return false;
    for (const int seq : message.partsOrder) {
        if (seq < 1 || seq > static_cast<int>(parts.size())) {
            if (error)
                *error = QStringLiteral("part %1 of a message in %2 parts").arg(seq).arg(parts.size());
            return false;
        }
    }
    return true;
}

bool SimNetwork::Inject(const SimIncomingMessage& message, qint64 nowMs, QString* error) {
    if (!CheckIncoming(message, error))
        return false;
    const qint64 due = nowMs + message.delayMs;
    const int reference = message.reference16 ? m_nextConcatReference : (m_nextConcatReference & 0xFF);
    const QDateTime timestamp = message.timestamp.value_or(WallClock(due));
    const std::vector<SimEncodedTpdu> parts = SimTpduEncoder::Deliver(message, reference, m_smsc, timestamp, error);
    if (parts.size() > 1 && message.reference < 0)
        m_nextConcatReference = m_nextConcatReference % 255 + 1;
    std::vector<int> order = message.partsOrder;
    if (order.empty()) {
        for (int seq = 1; seq <= static_cast<int>(parts.size()); ++seq)
            order.push_back(seq);
    }
    for (const int seq : order) {
        if (seq == message.dropPart)
            continue;
        SimSmsRecord record;
        record.tpdu = parts[static_cast<std::size_t>(seq - 1)];
        record.smsc = m_smsc;
        record.address = message.from;
        record.serviceCentreTime = timestamp;
        record.messageClass = message.messageClass;
        Schedule(due, record);
    }
    return true;
}

std::vector<SimSmsRecord> SimNetwork::TakeDue(qint64 nowMs) {
    std::vector<SimSmsRecord> due;
    while (!m_events.empty() && m_events.begin()->first <= nowMs) {
        due.push_back(m_events.begin()->second);
        m_events.erase(m_events.begin());
    }
    return due;
}

std::optional<qint64> SimNetwork::NextDueMs() const {
    if (m_events.empty())
        return std::nullopt;
    return m_events.begin()->first;
}

void SimNetwork::ReleaseHeld(qint64 nowMs) {
    for (const SimSmsRecord& record : m_heldBack)
        Schedule(nowMs, record);
    m_heldBack.clear();
}
