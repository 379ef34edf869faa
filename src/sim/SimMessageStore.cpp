#include "sim/SimMessageStore.h"

SimMessageStore::SimMessageStore(QString name, int capacity)
    : m_name(std::move(name)), m_slots(static_cast<std::size_t>(capacity)) {}

int SimMessageStore::Used() const {
    return static_cast<int>(UsedIndexes().size());
}

int SimMessageStore::Store(const SimSmsRecord& record) {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (!m_slots[i]) {
            m_slots[i] = record;
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

SimSmsRecord* SimMessageStore::At(int index) {
    if (index < 1 || index > Capacity() || !m_slots[static_cast<std::size_t>(index - 1)])
        return nullptr;
    return &*m_slots[static_cast<std::size_t>(index - 1)];
}

bool SimMessageStore::Remove(int index) {
    if (!At(index))
        return false;
    m_slots[static_cast<std::size_t>(index - 1)].reset();
    return true;
}

std::vector<int> SimMessageStore::UsedIndexes() const {
    std::vector<int> used;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i])
            used.push_back(static_cast<int>(i) + 1);
    }
    return used;
}
