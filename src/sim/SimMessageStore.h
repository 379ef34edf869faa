#pragma once

#include "sim/SimSmsRecord.h"

#include <QString>

#include <optional>
#include <vector>

// One message storage of the simulated modem ("SM" for messages, "SR" for status reports): numbered slots
// from 1 to its capacity, a new record taking the lowest free one.
class SimMessageStore {
public:
    SimMessageStore(QString name, int capacity);

    const QString& Name() const { return m_name; }
    int Capacity() const { return static_cast<int>(m_slots.size()); }
    int Used() const;

    // The slot index the record went to, or 0 when every slot is taken.
    int Store(const SimSmsRecord& record);
    SimSmsRecord* At(int index); // nullptr for an empty slot or an index out of range
    bool Remove(int index);      // false when the slot was empty or out of range
    std::vector<int> UsedIndexes() const;

private:
    QString m_name;
    std::vector<std::optional<SimSmsRecord>> m_slots;
};
