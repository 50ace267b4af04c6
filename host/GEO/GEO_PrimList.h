// The primitives of a detail, by index 0 to entries() - 1.
#pragma once

#include <GEO/GEO_Primitive.h>
#include <UT/UT_API.h>
#include <memory>
#include <vector>

class UT_API GA_GBPrimitiveList
{
public:
    GA_GBPrimitiveList() = default;
    // Primitives are owned; a detail copies its list by cloning them.
    GA_GBPrimitiveList(const GA_GBPrimitiveList &) = delete;
    GA_GBPrimitiveList &operator=(const GA_GBPrimitiveList &) = delete;

    GA_Size entries() const { return GA_Size(myPrims.size()); }
    // Primitive j, without bounds checks beyond the caller's 0 <= j < entries().
    GEO_Primitive *rawEntry(GA_Index j) const { return myPrims[size_t(j)].get(); }

protected:
    std::vector<std::unique_ptr<GEO_Primitive>> myPrims;
};

class UT_API GEO_PrimList : public GA_GBPrimitiveList
{
public:
    GEO_PrimList() = default;
    // Takes ownership and returns the primitive; null is refused.
    GEO_Primitive *append(std::unique_ptr<GEO_Primitive> prim);
    void clear() { myPrims.clear(); }
};
