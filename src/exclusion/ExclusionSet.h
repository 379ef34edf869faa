#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include "HugePageAllocator.h"
#include "NumberComparison.h"

#include <cstdint>
#include <vector>

// The numbers of the applied exclusion lists, searched by IsExcluded. Entries are kept by their comparison form
// (NumberComparison: the case-folded text, or with a default country the international form where there is
// one) in an open-addressing hash table over one flat array of UTF-16 code units, so a look-up gives the same
// answer as comparing the number's form with every entry's in turn, at constant cost, and an entry costs its
// code units plus about 32 bytes. Without a country no normalisation is applied on either side: "+4412" does
// not exclude "4412". The files the entries come from are never changed: forms are computed, not stored.
//
// Built on one thread, then only read; concurrent IsExcluded calls on an unchanging set are safe.
class ExclusionSet {
public:
    ExclusionSet() = default;
    // A set whose entries and look-ups compare by `comparison`; it stays with the set through Clear.
    explicit ExclusionSet(NumberComparison comparison) : m_comparison(std::move(comparison)) {}

    const NumberComparison& Comparison() const { return m_comparison; }

    void Clear();
    // Room for this many distinct entries holding this many code units in all, so that building the set
    // does not grow it step by step.
    void Reserve(qsizetype distinctEntries, qsizetype codeUnits = 0);
    // Adds one entry. A number held by several lists is added several times; EntryCount counts each.
    void Add(QStringView number);
    // Adds several entries at once: their slots are looked up ahead of the insertions, so the cache misses of
    // a large table overlap instead of following one another. Same result as Add for each in turn.
    void AddBatch(const QStringList& numbers);

    [[nodiscard]] bool IsExcluded(QStringView number) const;
    // Starts loading the number's home slot into the cache, ahead of an IsExcluded of it.
    void Prefetch(QStringView number) const;

    qsizetype EntryCount() const { return m_entryCount; }
    qsizetype DistinctCount() const { return m_distinctCount; }
    bool IsEmpty() const { return m_entryCount == 0; }

private:
    struct Slot {
        std::uint64_t offset = kEmpty; // start of the text in m_units
        std::uint32_t length = 0;      // in code units
        std::uint32_t hash = 0;        // low bits of the text's hash, to skip most comparisons
    };
    static constexpr std::uint64_t kEmpty = ~std::uint64_t(0);

    // Index of the slot holding the key, or of the empty slot where it belongs.
    size_t Find(QStringView key, size_t hash) const;
    void Insert(QStringView key, size_t hash);
    void Rehash(size_t capacity);

    NumberComparison m_comparison;

    // A power of two, at most half full; huge pages, since every look-up lands on a random slot.
    std::vector<Slot, HugePageAllocator<Slot>> m_slots;
    std::vector<char16_t> m_units;
    qsizetype m_distinctCount = 0;
    qsizetype m_entryCount = 0;
};
