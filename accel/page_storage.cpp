#include "accel/page_storage.h"

#include <cstdint>

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace
{

#if defined(MADV_HUGEPAGE)
constexpr size_t kLargePage = size_t(2) << 20;
// From half a large page up: a 100k-triangle structure holds its nodes in
// about 1.3 MB, and rounding up wastes at most half of what is allocated.
constexpr size_t kLargeThreshold = kLargePage / 2;
#endif

size_t alignmentFor(size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    if (bytes >= kLargeThreshold)
        return kLargePage;
#endif
    (void)bytes;
    return kPageStorageAlignment;
}

size_t roundedSize(size_t bytes, size_t alignment) { return (bytes + alignment - 1) / alignment * alignment; }

// The one call to the system: mark the range as a candidate for large pages.
// A hint only; where it fails the memory is simply used with small pages.
void adviseLargePages(void *data, size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    madvise(data, bytes, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

void *allocatePageStorage(size_t bytes)
{
    const size_t alignment = alignmentFor(bytes);
    if (bytes > size_t(-1) - alignment)
        throw std::bad_alloc();
    const size_t size = roundedSize(bytes == 0 ? 1 : bytes, alignment);
    void *data = ::operator new(size, std::align_val_t(alignment));
    if (alignment > kPageStorageAlignment)
        adviseLargePages(data, size);
    return data;
}

void freePageStorage(void *data, size_t bytes) { ::operator delete(data, std::align_val_t(alignmentFor(bytes))); }
