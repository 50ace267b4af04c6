#include <GA/GA_Memory.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
// Each block is preceded by its size, so Free can account for it. The header
// is 16 bytes so the block keeps malloc's 16-byte alignment on x86-64.
constexpr size_t theHeaderBytes = 16;
std::atomic<size_t> theBytesInUse{0};
}  // namespace

void *GA_Memory::Malloc(size_t bytes)
{
    if (bytes > size_t(-1) - theHeaderBytes)
        throw std::bad_alloc();
    unsigned char *raw = static_cast<unsigned char *>(std::malloc(theHeaderBytes + bytes));
    if (!raw)
        throw std::bad_alloc();
    *reinterpret_cast<size_t *>(raw) = bytes;
    theBytesInUse.fetch_add(bytes, std::memory_order_relaxed);
    return raw + theHeaderBytes;
}

void GA_Memory::Free(void *block)
{
    if (!block)
        return;
    unsigned char *raw = static_cast<unsigned char *>(block) - theHeaderBytes;
    theBytesInUse.fetch_sub(*reinterpret_cast<size_t *>(raw), std::memory_order_relaxed);
    std::free(raw);
}

size_t GA_Memory::bytesInUse() { return theBytesInUse.load(std::memory_order_relaxed); }
