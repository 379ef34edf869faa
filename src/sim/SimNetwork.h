#pragma once

#include "sim/SimIncomingMessage.h"
#include "sim/SimModem.h"
#include "sim/SimProfile.h"
#include "sim/SimSmsRecord.h"

#include <QDateTime>
#include <QString>

#include <deque>
#include <map>
#include <optional>
#include <vector>

// The network behind the simulated modem: what it makes of a submission (refusals by recipient, a status
// report when one was asked for) and the messages it delivers, each due at a time on the dialogue's clock (ms
// since the dialogue began). Time stamps are wall-clock times from an origin the caller may fix.
class SimNetwork {
public:
    SimNetwork(const SimProfile& profile, const QString& smsc);

    void SetClockOrigin(const QDateTime& origin) { m_clockOrigin = origin; }
    // The wall-clock time at `ms`, in whole seconds (what a time stamp carries).
    QDateTime WallClock(qint64 ms) const;

    // 0 when the network takes a submission to `to`, else the +CMS ERROR code it answers (reject:, tempfail:).
    int Refusal(const QString& to);
    // A submission the network took at acceptedMs: its status report is scheduled when it asked for one and
    // the report: rules give one.
    void Accepted(const SimSubmission& submission, qint64 acceptedMs);

    // Whether a message can be delivered (its text encodes, its part numbers exist).
    static bool CheckIncoming(const SimIncomingMessage& message, QString* error);
    // Schedules the message's parts for nowMs + its delay, in its order, without the dropped part.
    bool Inject(const SimIncomingMessage& message, qint64 nowMs, QString* error);

    // What is due by nowMs, in order, taken out.
    std::vector<SimSmsRecord> TakeDue(qint64 nowMs);
    std::optional<qint64> NextDueMs() const;
    // A record the modem could not store: kept until ReleaseHeld (a slot was freed) makes it due at nowMs.
    void HoldBack(const SimSmsRecord& record) { m_heldBack.push_back(record); }
    void ReleaseHeld(qint64 nowMs);

private:
    void Schedule(qint64 dueMs, const SimSmsRecord& record) { m_events.emplace(dueMs, record); }

    SimProfile m_profile;
    QString m_smsc; // the service centre that delivers and reports
    QDateTime m_clockOrigin;
    std::multimap<qint64, SimSmsRecord> m_events; // by due time; equal times in the order scheduled
    std::deque<SimSmsRecord> m_heldBack;
    std::map<QString, int> m_tempFailures; // recipient -> tries failed so far by tempfail:
    int m_nextConcatReference = 1;         // of injected messages that give none
};
