// The data of one numeric attribute: its paged arrays.
//
// Layout GA_LAYOUT_COMPONENTS keeps one single-component GA_DataArray per
// tuple component; GA_LAYOUT_INTERLEAVED keeps one GA_DataArray of whole
// tuples. Only an interleaved fpreal32 array of tuple size 3 offers the
// three-float page table that handles read without a call per value.
#pragma once

#include <GA/GA_DataArray.h>
#include <UT/UT_API.h>
#include <memory>
#include <vector>

class UT_API GA_DataArrayTuple
{
public:
    GA_DataArrayTuple(GA_Storage storage, GA_StorageLayout layout, int tupleSize, const std::vector<double> &defaults);
    GA_DataArrayTuple(const GA_DataArrayTuple &src);  // shares pages
    GA_DataArrayTuple &operator=(const GA_DataArrayTuple &) = delete;

    GA_StorageLayout getLayout() const { return myLayout; }
    // Number of paged arrays: 1 when interleaved, the tuple size otherwise.
    int numArrays() const { return int(myArrays.size()); }
    GA_DataArray &array(int i) { return *myArrays[size_t(i)]; }
    const GA_DataArray &array(int i) const { return *myArrays[size_t(i)]; }

    GA_Size size() const { return mySize; }
    void setSize(GA_Size n);

    // The three-float page table, or null unless interleaved fpreal32 x 3.
    GA_PageTableV3 *getPageTableImplV3() const;

private:
    GA_StorageLayout myLayout;
    std::vector<std::unique_ptr<GA_DataArray>> myArrays;
    GA_Size mySize = 0;
};
