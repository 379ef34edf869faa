#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

// A std allocator for large arrays that are touched at random (hash tables, row storage of a million rows):
// blocks of 2 MiB or more are aligned to 2 MiB and advised for transparent huge pages, so the first touch
// costs one page fault per 2 MiB instead of one per 4 KiB, and random accesses miss the TLB far less. Smaller
// blocks come from malloc as usual.
template <typename T> struct HugePageAllocator {
    using value_type = T;

    static constexpr std::size_t kHugePage = std::size_t(2) << 20;

    HugePageAllocator() noexcept = default;
    template <typename U> HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        void* memory = nullptr;
        if (bytes >= kHugePage) {
            memory = std::aligned_alloc(kHugePage, (bytes + kHugePage - 1) / kHugePage * kHugePage);
            if (memory)
                ::madvise(memory, bytes, MADV_HUGEPAGE);
        }
        if (!memory)
            memory = std::malloc(bytes);
        if (!memory)
            throw std::bad_alloc();
        return static_cast<T*>(memory);
    }

    void deallocate(T* p, std::size_t) noexcept { std::free(p); }

    template <typename U> bool operator==(const HugePageAllocator<U>&) const noexcept { return true; }
};
