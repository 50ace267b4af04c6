#include <GA/GA_Page.h>

#include <GA/GA_Memory.h>
#include <new>

// The bytes follow the record; its size keeps them 16-byte aligned.
static_assert(sizeof(GA_Page) % 16 == 0, "page bytes must stay 16-byte aligned");

GA_Page *GA_Page::allocate(size_t tupleBytes, bool constant)
{
    const size_t count = constant ? 1 : size_t(GA_PAGE_SIZE);
    void *block = GA_Memory::Malloc(sizeof(GA_Page) + count * tupleBytes);
    unsigned char *bytes = static_cast<unsigned char *>(block) + sizeof(GA_Page);
    return new (block) GA_Page(constant, bytes);
}

void GA_Page::release()
{
    if (myRefs.fetch_sub(1, std::memory_order_acq_rel) == 1)
    {
        this->~GA_Page();
        GA_Memory::Free(this);
    }
}
