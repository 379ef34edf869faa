#include "NumberIndex.h"

#include "exclusion/NumberText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

std::uint32_t HashHigh(QStringView key) {
    return static_cast<std::uint32_t>(HashNumberText(key) >> 32);
}

} // namespace

size_t NumberIndex::Find(QStringView key, std::uint32_t hashHigh) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Home(hashHigh);; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.count == 0)
            return i;
        if (slot.hashHigh == hashHigh && slot.key.size() == key.size() &&
            std::memcmp(slot.key.constData(), key.utf16(), static_cast<size_t>(key.size()) * sizeof(char16_t)) == 0)
            return i;
    }
}

NumberIndex::Key NumberIndex::KeyOf(const QString& number, const NumberComparison& comparison) {
    Key key{comparison.Key(number), 0};
    key.hashHigh = HashHigh(key.text);
    return key;
}

bool NumberIndex::Contains(const Key& key) const {
    if (m_size == 0)
        return false;
    return m_slots[Find(key.text, key.hashHigh)].count != 0;
}

std::uint32_t NumberIndex::Count(const QString& number) const {
    if (m_size == 0)
        return 0;
    const Key key = KeyOf(number);
    return m_slots[Find(key.text, key.hashHigh)].count;
}

void NumberIndex::Add(Key key) {
    if (static_cast<size_t>(m_size + 1) * 2 > m_slots.size())
        Grow();
    Slot& slot = m_slots[Find(key.text, key.hashHigh)];
    if (slot.count == 0) {
        slot.key = std::move(key.text);
        slot.hashHigh = key.hashHigh;
        ++m_size;
    }
    ++slot.count;
}

void NumberIndex::Prefetch(const Key& key) const {
    if (!m_slots.empty())
        __builtin_prefetch(&m_slots[Home(key.hashHigh)]);
}

void NumberIndex::Remove(const QString& number) {
    if (m_size == 0)
        return;
    const QString key = m_comparison.Key(number);
    size_t hole = Find(key, HashHigh(key));
    if (m_slots[hole].count == 0 || --m_slots[hole].count > 0)
        return;
    // Backward-shift deletion: move later members of the probe run into the hole when their home slot does
    // not lie cyclically between the hole and their own position.
    const size_t mask = m_slots.size() - 1;
    for (size_t j = (hole + 1) & mask; m_slots[j].count != 0; j = (j + 1) & mask) {
        const size_t home = Home(m_slots[j].hashHigh);
        const bool homeBetween = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeBetween) {
            m_slots[hole] = std::move(m_slots[j]);
            m_slots[j].count = 0;
            hole = j;
        }
    }
    m_slots[hole].key = QString();
    m_slots[hole].count = 0;
    --m_size;
}

void NumberIndex::Clear() {
    decltype(m_slots)().swap(m_slots);
    m_size = 0;
}

void NumberIndex::AddAll(const QStringList& numbers) {
    Reserve(m_size + numbers.size());
    constexpr qsizetype kBatch = 32;
    Key keys[kBatch];
    for (qsizetype first = 0; first < numbers.size(); first += kBatch) {
        const qsizetype n = std::min(kBatch, numbers.size() - first);
        for (qsizetype i = 0; i < n; ++i) {
            keys[i] = KeyOf(numbers.at(first + i));
            Prefetch(keys[i]);
        }
        for (qsizetype i = 0; i < n; ++i)
            Add(std::move(keys[i]));
    }
}

void NumberIndex::Reserve(qsizetype count) {
    size_t slots = std::max<size_t>(16, m_slots.size());
    while (slots < static_cast<size_t>(count) * 2)
        slots *= 2;
    if (slots > m_slots.size())
        Rehash(slots);
}

void NumberIndex::Grow() {
    Rehash(std::max<size_t>(16, m_slots.size() * 2));
}

void NumberIndex::Rehash(size_t slots) {
    decltype(m_slots) old(slots);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (Slot& slot : old) {
        if (slot.count == 0)
            continue;
        size_t i = Home(slot.hashHigh);
        while (m_slots[i].count != 0)
            i = (i + 1) & mask;
        m_slots[i] = std::move(slot);
    }
}
