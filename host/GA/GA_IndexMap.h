// The element map of a detail's points.
//
// Points are never deleted in this library, so offsets run contiguously from
// 0 and an offset equals the point's index. Appending keeps every existing
// offset valid and gives new points each attribute's default.
#pragma once

#include <GA/GA_Types.h>
#include <UT/UT_API.h>

class GEO_Detail;

class UT_API GA_IndexMap
{
public:
    explicit GA_IndexMap(GEO_Detail &detail) : myDetail(&detail) {}
    // A map belongs to its detail; a copied detail builds its own.
    GA_IndexMap(const GA_IndexMap &) = delete;
    GA_IndexMap &operator=(const GA_IndexMap &) = delete;

    // Appends n elements and returns the offset of the first, or
    // GA_INVALID_OFFSET when n is not positive (nothing is appended).
    GA_Offset addElementBlock(GA_Size n);
    GA_Size indexSize() const { return mySize; }
    GA_Offset offsetFromIndex(GA_Index i) const { return i; }
    GA_Index indexFromOffset(GA_Offset o) const { return o; }

private:
    friend class GEO_Detail;
    GEO_Detail *myDetail;
    GA_Size mySize = 0;
};
