#include <GEO/GEO_PrimList.h>

GEO_Primitive *GEO_PrimList::append(std::unique_ptr<GEO_Primitive> prim)
{
    if (!prim)
        return nullptr;
    myPrims.push_back(std::move(prim));
    return myPrims.back().get();
}
