#include "ExclusionSet.h"

#include "NumberText.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

size_t HashOf(QStringView key) {
    return HashNumberText(key);
}

// The slot index takes the hash's high bits; its low 32 bits are kept in the slot to skip most comparisons.
size_t SlotOf(size_t hash, size_t capacity) {
    return static_cast<size_t>(std::uint64_t(hash) >> 32) & (capacity - 1);
}

} // namespace

void ExclusionSet::Clear() {
    decltype(m_slots)().swap(m_slots);
    std::vector<char16_t>().swap(m_units);
    m_distinctCount = 0;
    m_entryCount = 0;
}

void ExclusionSet::Reserve(qsizetype distinctEntries, qsizetype codeUnits) {
    size_t capacity = 16;
    while (capacity < static_cast<size_t>(distinctEntries) * 2)
        capacity *= 2;
    if (capacity > m_slots.size())
        Rehash(capacity);
    if (codeUnits > 0)
        m_units.reserve(static_cast<size_t>(codeUnits));
}

void ExclusionSet::Add(QStringView number) {
    NumberComparison::KeyBuffer buffer;
    const QStringView key = m_comparison.KeyView(number, buffer);
    if (static_cast<size_t>(m_distinctCount + 1) * 2 > m_slots.size())
        Rehash(std::max<size_t>(16, m_slots.size() * 2));
    Insert(key, HashOf(key));
}

void ExclusionSet::AddBatch(const QStringList& numbers) {
    // Room for all of them first, so no rehash moves the slots between the prefetch and the insertion.
    size_t capacity = std::max<size_t>(16, m_slots.size());
    while (static_cast<size_t>(m_distinctCount + numbers.size()) * 2 > capacity)
        capacity *= 2;
    if (capacity > m_slots.size())
        Rehash(capacity);

    // The keys point into their buffers, so the buffers are sized once and never move.
    std::vector<size_t> hashes(static_cast<size_t>(numbers.size()));
    std::vector<NumberComparison::KeyBuffer> buffers(static_cast<size_t>(numbers.size()));
    std::vector<QStringView> keys(static_cast<size_t>(numbers.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i] = m_comparison.KeyView(numbers.at(static_cast<qsizetype>(i)), buffers[i]);
        hashes[i] = HashOf(keys[i]);
        __builtin_prefetch(&m_slots[SlotOf(hashes[i], m_slots.size())]);
    }
    for (size_t i = 0; i < keys.size(); ++i)
        Insert(keys[i], hashes[i]);
}

void ExclusionSet::Insert(QStringView key, size_t hash) {
    ++m_entryCount;
    Slot& slot = m_slots[Find(key, hash)];
    if (slot.offset != kEmpty)
        return;
    slot.offset = m_units.size();
    slot.length = static_cast<std::uint32_t>(key.size());
    slot.hash = static_cast<std::uint32_t>(hash);
    m_units.insert(m_units.end(), key.utf16(), key.utf16() + key.size());
    ++m_distinctCount;
}

bool ExclusionSet::IsExcluded(QStringView number) const {
    if (m_distinctCount == 0)
        return false;
    NumberComparison::KeyBuffer buffer;
    const QStringView key = m_comparison.KeyView(number, buffer);
    return m_slots[Find(key, HashOf(key))].offset != kEmpty;
}

void ExclusionSet::Prefetch(QStringView number) const {
    if (m_distinctCount == 0)
        return;
    NumberComparison::KeyBuffer buffer;
    __builtin_prefetch(&m_slots[SlotOf(HashOf(m_comparison.KeyView(number, buffer)), m_slots.size())]);
}

size_t ExclusionSet::Find(QStringView key, size_t hash) const {
    const size_t mask = m_slots.size() - 1;
    const auto length = static_cast<std::uint32_t>(key.size());
    const auto shortHash = static_cast<std::uint32_t>(hash);
    for (size_t i = SlotOf(hash, m_slots.size());; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.offset == kEmpty)
            return i;
        // An empty text may have no data pointer, so it is compared by its length alone.
        if (slot.hash == shortHash && slot.length == length &&
            (length == 0 || std::memcmp(m_units.data() + slot.offset, key.utf16(), length * sizeof(char16_t)) == 0))
            return i;
    }
}

void ExclusionSet::Rehash(size_t capacity) {
    decltype(m_slots) old(capacity);
    old.swap(m_slots);
    const size_t mask = capacity - 1;
    for (const Slot& slot : old) {
        if (slot.offset == kEmpty)
            continue;
        const QStringView text(m_units.data() + slot.offset, static_cast<qsizetype>(slot.length));
        size_t i = SlotOf(HashOf(text), capacity);
        while (m_slots[i].offset != kEmpty)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}
