// Allocation of attribute pages.
//
// Every page block of the geometry library is obtained here, so that a host
// can account for or replace page memory in one place. Malloc throws
// std::bad_alloc on failure, like operator new.
#pragma once

#include <UT/UT_API.h>
#include <cstddef>

class UT_API GA_Memory
{
public:
    static void *Malloc(size_t bytes);
    static void Free(void *block);
    // Bytes currently held in page blocks (for statistics and leak tests).
    static size_t bytesInUse();
};
