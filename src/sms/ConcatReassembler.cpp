#include "sms/ConcatReassembler.h"

#include <algorithm>
#include <tuple>

bool ConcatReassembler::Key::operator<(const Key& other) const {
    return std::tie(device, originator, reference, total) <
           std::tie(other.device, other.originator, other.reference, other.total);
}

bool ConcatReassembler::Key::operator==(const Key& other) const {
    return std::tie(device, originator, reference, total) ==
           std::tie(other.device, other.originator, other.reference, other.total);
}

std::vector<int> ConcatReassembler::Group::Missing() const {
    std::vector<int> missing;
    auto it = parts.begin();
    for (int seq = 1; seq <= key.total; ++seq) {
        if (it != parts.end() && it->sequence == seq)
            ++it;
        else
            missing.push_back(seq);
    }
    return missing;
}

QString ConcatReassembler::Group::Text() const {
    QString text;
    for (const Part& p : parts)
        text += p.text;
    return text;
}

ConcatReassembler::AddResult ConcatReassembler::Add(const Part& part, qint64 nowMs) {
    if (part.key.total < 1 || part.sequence < 1 || part.sequence > part.key.total)
        return {Outcome::Invalid, std::nullopt};
    auto it = m_groups.find(part.key);
    if (it == m_groups.end())
        it = m_groups.emplace(part.key, Group{part.key, {}, nowMs, nowMs}).first;
    Group& group = it->second;
    const auto at = std::lower_bound(group.parts.begin(), group.parts.end(), part.sequence,
                                     [](const Part& p, int seq) { return p.sequence < seq; });
    if (at != group.parts.end() && at->sequence == part.sequence)
        return {Outcome::Duplicate, std::nullopt};
    group.parts.insert(at, part);
    group.lastSeenMs = nowMs;
    if (!group.IsComplete())
        return {Outcome::Waiting, std::nullopt};
    AddResult done{Outcome::Completed, std::move(group)};
    m_groups.erase(it);
    return done;
}

std::vector<ConcatReassembler::Group> ConcatReassembler::TakeExpired(qint64 nowMs, qint64 timeoutMs) {
    std::vector<Group> expired;
    for (auto it = m_groups.begin(); it != m_groups.end();) {
        if (nowMs - it->second.lastSeenMs >= timeoutMs) {
            expired.push_back(std::move(it->second));
            it = m_groups.erase(it);
        } else {
            ++it;
        }
    }
    return expired;
}

std::vector<ConcatReassembler::Group> ConcatReassembler::Pending() const {
    std::vector<Group> groups;
    for (const auto& entry : m_groups)
        groups.push_back(entry.second);
    return groups;
}
