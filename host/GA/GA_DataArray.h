// A paged array of fixed-size numeric tuples of one storage type.
//
// This is the storage behind numeric attributes: a table of reference-counted
// pages (GA_Page). New elements take the array's default tuple, and appended
// pages start constant, so growing an array by a million points costs no
// data blocks until something is written. Copies share pages.
//
// The static direct getter/setter templates convert one element between the
// array's storage and a three-float vector; they are what attribute handles
// use when no three-float page table is available. They need the numeric
// attribute class, so their definitions come with GA/GA_ATINumeric.h.
//
// Every page covers GA_PAGE_SIZE slots, the last one too, so slot
// offset & GA_PAGE_MASK of any page is always inside its block.
#pragma once

#include <GA/GA_Page.h>
#include <GA/GA_Types.h>
#include <UT/UT_API.h>
#include <UT/UT_Vector3.h>
#include <vector>

class GA_Attribute;

class UT_API GA_DataArray
{
public:
    // defaults: the default tuple for new elements (tupleSize values).
    GA_DataArray(GA_Storage storage, int tupleSize, const std::vector<double> &defaults);
    GA_DataArray(const GA_DataArray &src);             // shares every page
    GA_DataArray &operator=(const GA_DataArray &src);  // shares every page
    ~GA_DataArray();

    GA_Storage getStorage() const { return myStorage; }
    int getTupleSize() const { return myTupleSize; }
    GA_Size size() const { return mySize; }
    GA_PageNum numPages() const { return GA_PageNum(myPages.size()); }
    size_t tupleBytes() const { return myTupleBytes; }
    // The default tuple in the storage's own type (tupleBytes() bytes).
    const void *defaultTuple() const { return myDefault.data(); }

    // Read access to a page; the page table stays put while the array lives,
    // but an entry may be replaced by a write (copy-on-write) or growth.
    const GA_Page *page(GA_PageNum p) const { return myPages[size_t(p)]; }

    // Grows or shrinks to n elements; new elements take the default tuple.
    void setSize(GA_Size n);

    // Component access with conversion through double (integers truncate
    // toward zero and saturate; NaN stores 0).
    double getDouble(GA_Offset off, int component) const;
    void setDouble(GA_Offset off, int component, double value);

    // Typed tuple access; T must match the storage. Null outside 0..size()-1.
    template <typename T>
    const T *tupleAt(GA_Offset off) const;
    // Writes one whole tuple given in the storage's own type, under the
    // copy-on-write rules: a constant page already holding exactly these bytes
    // stays constant; any other constant page or shared block is first turned
    // into a data block of this array's own. Offsets outside 0..size()-1 are
    // ignored.
    void setTupleBytes(GA_Offset off, const void *tuple);
    // Writes components first..first+count-1 of one tuple, same rules.
    void setComponentBytes(GA_Offset off, int first, int count, const void *values);

    // Three-float access used by attribute handles (see GA_ATINumeric).
    template <typename VT, typename ET>
    static VT directGetterVector(const GA_Attribute *attrib, GA_Offset off);
    template <typename VT, typename ET>
    static void directSetterVector(GA_Attribute *attrib, GA_Offset off, const VT &value);
    template <typename VT, typename ET>
    static VT directVector3GetterVector(const GA_Attribute *attrib, GA_Offset off);
    template <typename VT, typename ET>
    static void directVector3SetterVector(GA_Attribute *attrib, GA_Offset off, const VT &value);

private:
    // Makes page p ready for a write of `count` bytes at byte `begin` of a
    // tuple and returns its data block, or null when p is constant and its
    // tuple already holds exactly those bytes (nothing to write).
    unsigned char *writableBlock(GA_PageNum p, size_t begin, size_t count, const void *bytes);
    // setSize beyond its quick case of growing within the last page.
    void resize(GA_Size n);
    // Writes the default tuple into slots [from, to) of one page.
    void fillDefault(GA_Offset from, GA_Offset to);
    void releasePages();

    GA_Storage myStorage;
    int myTupleSize;
    size_t myTupleBytes;
    GA_Size mySize = 0;
    std::vector<unsigned char> myDefault;  // one tuple in the storage type
    std::vector<GA_Page *> myPages;
};

// The three-float page table of an interleaved fpreal32 attribute of tuple
// size 3: pages hold 3 floats per slot, or one constant triple. Read a page
// through page(); write through setTupleBytes(), which applies the
// copy-on-write rules.
typedef GA_DataArray GA_PageTableV3;

template <typename T>
const T *GA_DataArray::tupleAt(GA_Offset off) const
{
    if (off < 0 || off >= mySize)
        return nullptr;
    const GA_Page *pg = myPages[size_t(off >> GA_PAGE_BITS)];
    const unsigned char *bytes = static_cast<const unsigned char *>(pg->data());
    if (!pg->isConstant())
        bytes += size_t(off & GA_PAGE_MASK) * myTupleBytes;
    return reinterpret_cast<const T *>(bytes);
}
