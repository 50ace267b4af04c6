// One page of attribute data.
//
// A page covers GA_PAGE_SIZE elements of one paged array. It either holds a
// data block of GA_PAGE_SIZE tuples, or no block and a single constant tuple
// that stands for every slot. Pages are reference counted: copying a detail
// shares its pages, and a write to a shared page first copies it
// (copy-on-write). Page memory comes from GA_Memory: one block holds the page
// record followed by its bytes, 16-byte aligned.
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
    // True when more than one page-table entry refers to this page: another
    // array's (a copy), or, for constant pages, other entries of the same
    // array (growth shares one constant default page).
    bool isShared() const { return myRefs.load(std::memory_order_acquire) > 1; }

    // Creates a page of the given tuple byte size with one reference; its
    // bytes are uninitialised. A constant page holds one tuple, a data block
    // GA_PAGE_SIZE tuples.
    static GA_Page *allocate(size_t tupleBytes, bool constant);
    // Number of page-table entries referring to this page (for tests).
    int32_t refCount() const { return myRefs.load(std::memory_order_acquire); }
    void addRef() { myRefs.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference and frees the page when it was the last.
    void release();

private:
    GA_Page(bool constant, unsigned char *bytes) : myConstant(constant), myBytes(bytes) {}
    ~GA_Page() = default;
    GA_Page(const GA_Page &) = delete;
    GA_Page &operator=(const GA_Page &) = delete;

    alignas(16) std::atomic<int32_t> myRefs{1};  // aligns the bytes that follow
    bool myConstant;
    unsigned char *myBytes;  // just past this record, in the same block
};
