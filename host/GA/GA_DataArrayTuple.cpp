#include <GA/GA_DataArrayTuple.h>

#include <algorithm>

GA_DataArrayTuple::GA_DataArrayTuple(GA_Storage storage, GA_StorageLayout layout, int tupleSize,
                                     const std::vector<double> &defaults)
    : myLayout(layout)
{
    if (layout == GA_LAYOUT_INTERLEAVED)
    {
        myArrays.push_back(std::make_unique<GA_DataArray>(storage, tupleSize, defaults));
        return;
    }
    for (int i = 0; i < tupleSize; ++i)
    {
        const std::vector<double> one{defaults.empty() ? 0.0 : defaults[std::min(size_t(i), defaults.size() - 1)]};
        myArrays.push_back(std::make_unique<GA_DataArray>(storage, 1, one));
    }
}

GA_DataArrayTuple::GA_DataArrayTuple(const GA_DataArrayTuple &src) : myLayout(src.myLayout), mySize(src.mySize)
{
    myArrays.reserve(src.myArrays.size());
    for (const std::unique_ptr<GA_DataArray> &array : src.myArrays)
        myArrays.push_back(std::make_unique<GA_DataArray>(*array));
}

void GA_DataArrayTuple::setSize(GA_Size n)
{
    for (std::unique_ptr<GA_DataArray> &array : myArrays)
        array->setSize(n);
    mySize = std::max<GA_Size>(n, 0);
}

GA_PageTableV3 *GA_DataArrayTuple::getPageTableImplV3() const
{
    if (myLayout != GA_LAYOUT_INTERLEAVED || myArrays.size() != 1)
        return nullptr;
    GA_DataArray *array = myArrays[0].get();
    if (array->getStorage() != GA_STORE_REAL32 || array->getTupleSize() != 3)
        return nullptr;
    return array;
}
