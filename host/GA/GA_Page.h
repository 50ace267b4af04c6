// One page of attribute data.
//
// A page covers GA_PAGE_SIZE elements of one paged array. It either holds a
// data block of GA_PAGE_SIZE tuples, or no block and a single constant tuple
// that stands for every slot. Pages are reference counted: copying a detail
// shares its pages, and a write to a shared page first copies it
// (copy-on-write). Page memory comes from GA_Memory.
#pragma once

#include <GA/GA_Types.h>
#include <UT/UT_API.h>
#include <atomic>

class UT_API GA_Page
{
public:
    // True when the page has no data block and one tuple stands for all slots.
    bool isConstant() const { return myConstant; }
    // The data block (GA_PAGE_SIZE tuples), or the one constant tuple.
    const void *data() const { return myBytes; }
    void *data() { return myBytes; }
    // True when another array also refers to this page.
    bool isShared() const { return myRefs.load(std::memory_order_acquire) > 1; }

    // Creates a page of the given tuple byte size with one reference.
    static GA_Page *allocate(size_t tupleBytes, bool constant);
    void addRef() { myRefs.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference and frees the page when it was the last.
    void release();

private:
    GA_Page() = default;

    std::atomic<int32_t> myRefs{1};
    bool myConstant = false;
    alignas(16) unsigned char myBytes[1];
};
