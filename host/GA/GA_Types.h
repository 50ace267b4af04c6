// Basic types of the geometry library.
//
// Offsets, indices and sizes are 64-bit everywhere. Attribute data is kept in
// pages of 1024 elements: page = offset >> 10, slot = offset & 1023.
#pragma once

#include <UT/UT_API.h>
#include <UT/UT_Types.h>

typedef int64_t GA_Offset;
typedef int64_t GA_Index;
typedef int64_t GA_Size;
typedef int64_t GA_PageNum;

constexpr int GA_PAGE_BITS = 10;
constexpr GA_Size GA_PAGE_SIZE = GA_Size(1) << GA_PAGE_BITS;
constexpr GA_Offset GA_PAGE_MASK = GA_PAGE_SIZE - 1;
constexpr GA_Offset GA_INVALID_OFFSET = -1;

// Storage codes of numeric attributes; the numbers are part of the interface.
enum GA_Storage : int32_t
{
    GA_STORE_INVALID = 0,
    GA_STORE_UINT8 = 1,
    GA_STORE_INT8 = 2,
    GA_STORE_INT16 = 3,
    GA_STORE_INT32 = 4,
    GA_STORE_INT64 = 5,
    GA_STORE_REAL16 = 6,
    GA_STORE_REAL32 = 7,
    GA_STORE_REAL64 = 8
};

// Layout codes: one paged array per component, or one array of whole tuples.
// Interleaved tuples exist only for fpreal32 and fpreal64 storage.
enum GA_StorageLayout : int32_t
{
    GA_LAYOUT_COMPONENTS = 0,
    GA_LAYOUT_INTERLEAVED = 1
};

// Type-information codes: a 32-bit value attached to every attribute that
// tells consumers how to interpret it. Any 32-bit value may be stored; files
// carrying a token this library does not know keep GA_TYPE_UNKNOWN.
enum GA_TypeInfo : int32_t
{
    GA_TYPE_UNKNOWN = -1,
    GA_TYPE_VOID = 0,
    GA_TYPE_POINT = 1,
    GA_TYPE_HPOINT = 2,
    GA_TYPE_VECTOR = 3,
    GA_TYPE_NORMAL = 4,
    GA_TYPE_COLOR = 5
};

// Scope of an attribute; iterating with GA_SCOPE_ANY visits every scope.
enum GA_AttributeScope : int32_t
{
    GA_SCOPE_ANY = -1,
    GA_SCOPE_PUBLIC = 0,
    GA_SCOPE_PRIVATE = 1
};

// Size in bytes of one element of a storage, 0 for GA_STORE_INVALID.
UT_API int GAsizeofStorage(GA_Storage storage);
// True for the eight numeric storage codes.
UT_API bool GAisValidStorage(int32_t storage);
