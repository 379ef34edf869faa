#pragma once

#include "exclusion/HugePageAllocator.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>
#include <vector>

// A sequence with a movable gap at the last insertion point. Inserting at the same position over and over
// (always at the top) or at consecutive positions (0, 1, 2, ... ahead of existing rows) costs amortised
// O(1) per element, where a plain vector would shift every later element each time. Random access is O(1).
// Elements in the gap are default-constructed values; T must be default-constructible and movable.
template <typename T> class GapBuffer {
public:
    qsizetype Size() const { return static_cast<qsizetype>(m_data.size()) - GapLength(); }
    bool IsEmpty() const { return Size() == 0; }

    const T& At(qsizetype i) const { return m_data[static_cast<size_t>(Physical(i))]; }
    T& At(qsizetype i) { return m_data[static_cast<size_t>(Physical(i))]; }

    // Inserts before element `position` (0..Size()).
    void Insert(qsizetype position, T value) {
        if (GapLength() == 0)
            Grow();
        MoveGapTo(position);
        m_data[static_cast<size_t>(m_gapBegin)] = std::move(value);
        ++m_gapBegin;
    }

    // Keeps the elements for which keep(index, element) is true, in order.
    template <typename Keep> void Filter(Keep keep) {
        MoveGapTo(Size());
        const qsizetype size = Size();
        qsizetype out = 0;
        for (qsizetype i = 0; i < size; ++i) {
            T& element = m_data[static_cast<size_t>(i)];
            if (keep(i, element)) {
                if (out != i)
                    m_data[static_cast<size_t>(out)] = std::move(element);
                ++out;
            }
        }
        for (qsizetype i = out; i < size; ++i)
            m_data[static_cast<size_t>(i)] = T();
        m_gapBegin = out;
        ShrinkIfSparse();
    }

    void Clear() {
        std::vector<T, HugePageAllocator<T>>().swap(m_data);
        m_gapBegin = m_gapEnd = 0;
    }

    void Reserve(qsizetype elements) {
        if (elements > static_cast<qsizetype>(m_data.size()))
            Reallocate(elements);
    }

private:
    qsizetype GapLength() const { return m_gapEnd - m_gapBegin; }
    qsizetype Physical(qsizetype i) const { return i < m_gapBegin ? i : i + GapLength(); }

    void MoveGapTo(qsizetype position) {
        if (position < m_gapBegin) {
            // Elements [position, gapBegin) move to the end of the gap.
            std::move_backward(m_data.begin() + position, m_data.begin() + m_gapBegin, m_data.begin() + m_gapEnd);
            const qsizetype moved = m_gapBegin - position;
            m_gapBegin -= moved;
            m_gapEnd -= moved;
        } else if (position > m_gapBegin) {
            // Elements [gapEnd, gapEnd + n) move to the start of the gap.
            const qsizetype moved = position - m_gapBegin;
            std::move(m_data.begin() + m_gapEnd, m_data.begin() + m_gapEnd + moved, m_data.begin() + m_gapBegin);
            m_gapBegin += moved;
            m_gapEnd += moved;
        }
    }

    void Grow() { Reallocate(std::max<qsizetype>(16, static_cast<qsizetype>(m_data.size()) * 2)); }

    void ShrinkIfSparse() {
        const qsizetype capacity = static_cast<qsizetype>(m_data.size());
        if (capacity > 64 && Size() < capacity / 4)
            Reallocate(std::max<qsizetype>(16, Size() * 2));
    }

    // New storage of `capacity` elements with the gap kept at the same logical position.
    void Reallocate(qsizetype capacity) {
        const qsizetype size = Size();
        std::vector<T, HugePageAllocator<T>> data(static_cast<size_t>(capacity));
        std::move(m_data.begin(), m_data.begin() + m_gapBegin, data.begin());
        const qsizetype tail = size - m_gapBegin;
        std::move(m_data.begin() + m_gapEnd, m_data.end(), data.end() - tail);
        m_data = std::move(data);
        m_gapEnd = capacity - tail;
    }

    std::vector<T, HugePageAllocator<T>> m_data; // elements, with the gap [m_gapBegin, m_gapEnd) inside
    qsizetype m_gapBegin = 0;
    qsizetype m_gapEnd = 0;
};
