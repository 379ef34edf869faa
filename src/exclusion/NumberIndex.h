#pragma once

#include "exclusion/HugePageAllocator.h"
#include "exclusion/NumberComparison.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

// How many rows hold each number, keyed by the number's comparison form (NumberComparison: its case-folded
// text, or with a default country its international form where it has one): the duplicate test of the
// Recipient list, and of an exclusion list being edited, without scanning the rows. An open-addressing table with
// linear probing and backward-shift deletion (no tombstones, so removals never slow later look-ups). A key that is the
// text itself (every valid phone number without a country, every one already in E.164 form with one) shares the row's
// string data, so indexing such a row allocates nothing.
//
// Not thread-safe on its own; the Recipient list guards it with its mutex.
class NumberIndex {
public:
    NumberIndex() = default;
    explicit NumberIndex(NumberComparison comparison) : m_comparison(std::move(comparison)) {}
    NumberIndex(const NumberIndex&) = default;
    NumberIndex& operator=(const NumberIndex&) = default;
    // A moved-from index is empty (its size goes with its slots) and keeps its comparison.
    NumberIndex(NumberIndex&& other)
        : m_slots(std::move(other.m_slots)), m_size(std::exchange(other.m_size, 0)), m_comparison(other.m_comparison) {}
    NumberIndex& operator=(NumberIndex&& other) {
        m_slots = std::move(other.m_slots);
        other.m_slots.clear();
        m_size = std::exchange(other.m_size, 0);
        m_comparison = other.m_comparison;
        return *this;
    }

    const NumberComparison& Comparison() const { return m_comparison; }

    // A number's comparison form with its hash, computed once for several calls.
    struct Key {
        QString text;
        std::uint32_t hashHigh = 0;
    };
    static Key KeyOf(const QString& number, const NumberComparison& comparison);
    Key KeyOf(const QString& number) const { return KeyOf(number, m_comparison); }

    bool Contains(const QString& number) const { return Contains(KeyOf(number)); }
    // The key must come from this index's comparison.
    bool Contains(const Key& key) const;
    // How many rows hold the number.
    std::uint32_t Count(const QString& number) const;
    void Add(const QString& number) { Add(KeyOf(number)); }
    void Add(Key key);
    // Starts loading the key's home slot into the cache, ahead of a Contains or Add of it.
    void Prefetch(const Key& key) const;
    // Forgets one row holding the number; a number not indexed is ignored.
    void Remove(const QString& number);
    // Adds every number of the list (room made first); keys are made a batch at a time and their slots
    // fetched into the cache ahead of the inserts, which a million numbers are mostly waiting on.
    void AddAll(const QStringList& numbers);
    // Makes room for `count` distinct numbers, so indexing that many grows the table no more.
    void Reserve(qsizetype count);
    // Forgets every number; the comparison stays.
    void Clear();
    qsizetype DistinctCount() const { return m_size; }

private:
    struct Slot {
        QString key;                // case-folded number; meaningful while count > 0
        std::uint32_t count = 0;    // rows holding it; 0 = empty slot
        std::uint32_t hashHigh = 0; // high half of the key's hash: picks the home slot, filters comparisons
    };

    // Slot holding the key, or the empty slot where it would go.
    size_t Find(QStringView key, std::uint32_t hashHigh) const;
    size_t Home(std::uint32_t hashHigh) const { return hashHigh & (m_slots.size() - 1); }
    void Grow();
    // Moves every key into a table of `slots` slots (a power of two).
    void Rehash(size_t slots);

    std::vector<Slot, HugePageAllocator<Slot>> m_slots; // a power of two, at most half full
    qsizetype m_size = 0;
    NumberComparison m_comparison;
};
