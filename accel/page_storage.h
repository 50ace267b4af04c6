// Storage for the structure's large arrays, on large memory pages where the
// system offers them.
//
// A query touches a dozen places spread over megabytes of nodes and
// triangles, in an order no cache predicts. With small (4 KiB) pages nearly
// every one of those touches also misses the processor's address
// translation cache, which on a 100k-triangle room cost about a quarter of
// the query time. Arrays of several megabytes are therefore aligned to the
// large page size and marked as candidates for large pages before their
// first use; where the system has no such hint they are plain aligned
// allocations, and nothing else changes.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

// Alignment of every allocation here: a cache line, as the nodes need.
constexpr size_t kPageStorageAlignment = 64;

// Allocates `bytes`, aligned to kPageStorageAlignment (to the large page
// size when the hint applies); throws std::bad_alloc on failure.
void *allocatePageStorage(size_t bytes);

// Releases what allocatePageStorage(bytes) returned.
void freePageStorage(void *data, size_t bytes);

template <class T>
struct PageAllocator
{
    static_assert(alignof(T) <= kPageStorageAlignment, "over-aligned element");
    using value_type = T;

    PageAllocator() = default;
    template <class U>
    PageAllocator(const PageAllocator<U> &)
    {}
    T *allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T *>(allocatePageStorage(n * sizeof(T)));
    }
    void deallocate(T *data, size_t n) { freePageStorage(data, n * sizeof(T)); }
    template <class U>
    bool operator==(const PageAllocator<U> &) const
    {
        return true;
    }
    template <class U>
    bool operator!=(const PageAllocator<U> &) const
    {
        return false;
    }
};

template <class T>
using PageVector = std::vector<T, PageAllocator<T>>;
