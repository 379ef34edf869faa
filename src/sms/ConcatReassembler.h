#pragma once

#include <QString>
#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

// Puts concatenated short messages (3GPP TS 23.040 9.2.3.24.1) back together. Parts belong together when
// they came through the same device from the same originator with the same reference and part count; they
// may come in any order. Time is the caller's (ms on any steady clock), so nothing here waits or reads a clock.
class ConcatReassembler {
public:
    struct Key {
        QString device;
        QString originator;
        int reference = 0;
        int total = 0;

        bool operator<(const Key& other) const;
        bool operator==(const Key& other) const;
    };
    struct Part {
        Key key;
        int sequence = 0; // 1 to key.total
        QString text;
        qint64 id = 0; // the caller's own mark for the part (a stored row, a storage index)
    };
    struct Group {
        Key key;
        std::vector<Part> parts; // by ascending sequence, each at most once
        qint64 firstSeenMs = 0;
        qint64 lastSeenMs = 0; // when the last new part came

        bool IsComplete() const { return static_cast<int>(parts.size()) == key.total; }
        std::vector<int> Missing() const; // sequence numbers not yet here
        QString Text() const;             // the parts' texts in order (only what is here)
    };
    enum class Outcome {
        Waiting,   // kept until the other parts come
        Completed, // this part completed its group (a single part completes at once)
        Duplicate, // its group already has this sequence number: the part is a repeat, kept out
        Invalid,   // total 0, or a sequence number of 0 or past the total
    };
    struct AddResult {
        Outcome outcome = Outcome::Waiting;
        std::optional<Group> completed; // Outcome::Completed: the whole message, taken out of the reassembler
    };

    [[nodiscard]] AddResult Add(const Part& part, qint64 nowMs);
    // Groups that got no new part for at least timeoutMs by nowMs, taken out so the caller can keep them as
    // incomplete messages. A part of such a group that comes later starts a new group.
    [[nodiscard]] std::vector<Group> TakeExpired(qint64 nowMs, qint64 timeoutMs);
    std::vector<Group> Pending() const; // groups still waiting, by key
    std::size_t PendingCount() const { return m_groups.size(); }

private:
    std::map<Key, Group> m_groups;
};
