// Point attribute lists: positions, directions and intensities by type code.
//
// The tracer never looks attributes up by name. It gathers every numeric
// point attribute of at least three components whose type-information code
// gives it a role (velkor::attributeRole: a position, a direction or an
// intensity), in the order the detail's attribute dictionary yields them. Each gathering
// also gives the gathered attributes new data ids, because the host must
// treat them as changed: the tracer writes through some of them.
#pragma once

#include <GA/GA_Attribute.h>
#include <GA/GA_DataArray.h>
#include <GA/GA_Page.h>
#include <GEO/GEO_Detail.h>
#include <UT/UT_Array.h>
#include <UT/UT_Vector3.h>
#include <cstring>

typedef UT_Vector3 (*VectorGetter)(const GA_Attribute *attrib, GA_Offset off);
typedef void (*VectorSetter)(GA_Attribute *attrib, GA_Offset off, const UT_Vector3 &value);

// Reads and writes the first three components of one numeric point attribute.
// A handle is a small value: copies refer to the same attribute and page
// table, so a write through one copy is seen through all of them.
struct AttributeHandle
{
    GA_Attribute *attribute = nullptr;
    VectorGetter read = nullptr;          // chosen by storage and layout, or null
    GA_PageTableV3 *pageTable = nullptr;  // three-float pages, or null
    VectorSetter write = nullptr;         // read-write form only
};

struct AttributeLists
{
    UT_Array<AttributeHandle> positions;    // GA_TYPE_VOID and GA_TYPE_POINT
    UT_Array<AttributeHandle> directions;   // GA_TYPE_VECTOR
    UT_Array<AttributeHandle> intensities;  // GA_TYPE_NORMAL
    // Every gathered attribute in dictionary order, so that data ids are
    // renewed in the order a gathering meets the attributes.
    UT_Array<GA_Attribute *> gathered;
};

enum class HandleForm
{
    ReadOnly,
    ReadWrite
};

enum class ListKinds
{
    All,
    PositionAndDirection
};

// Whether a gathering renews the data ids of the attributes it gathers. The
// node's gatherings do; a prepared collider gathers without, since every
// trace against it renews them itself (bumpDataIds).
enum class DataIds
{
    Renew,
    Keep
};

// Gathers the lists. With DataIds::Renew, every gathered attribute whose id
// is not -1 gets a new one; attributes that are skipped keep their ids.
AttributeLists gatherAttributeLists(const GEO_Detail &gdp, HandleForm form, ListKinds kinds, DataIds dataIds);
// Renews the data ids of every attribute in the lists, as a gathering does.
void bumpDataIds(const AttributeLists &lists);

// Value of the handle's attribute at a point. With a page table this is a
// direct page read: no call per value.
inline UT_Vector3 readVector(const AttributeHandle &h, GA_Offset off)
{
    if (h.pageTable)
    {
        const GA_Page *page = h.pageTable->page(off >> GA_PAGE_BITS);
        const float *v = static_cast<const float *>(page->data());
        if (!page->isConstant())
            v += 3 * (off & GA_PAGE_MASK);
        return UT_Vector3(v[0], v[1], v[2]);
    }
    if (h.read)
        return h.read(h.attribute, off);
    return UT_Vector3(0.0f, 0.0f, 0.0f);
}

// writeVector for every case but a page of the attribute's own.
void writeVectorShared(const AttributeHandle &h, GA_Offset off, const UT_Vector3 &value);

// Stores a value at a point under the pages' copy-on-write rules. Does
// nothing through a read-only handle. Defined here, as readVector is: a walk
// writes three or four values for every ray.
inline void writeVector(const AttributeHandle &h, GA_Offset off, const UT_Vector3 &value)
{
    if (h.write && h.pageTable && off >= 0 && off < h.pageTable->size())
    {
        // A page that is neither constant nor shared belongs to this
        // attribute alone, and copy-on-write has nothing to do: store the
        // three floats in place, as setTupleBytes would after its checks.
        GA_Page *page = const_cast<GA_Page *>(h.pageTable->page(off >> GA_PAGE_BITS));
        if (!page->isConstant() && !page->isShared())
        {
            float *v = static_cast<float *>(page->data()) + 3 * (off & GA_PAGE_MASK);
            std::memcpy(v, value.data(), 3 * sizeof(float));
            return;
        }
    }
    writeVectorShared(h, off, value);
}
