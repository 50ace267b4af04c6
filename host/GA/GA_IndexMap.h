// The element map of a detail's points.
//
// Points are never deleted in this library, so offsets run contiguously from
// 0 and an offset equals the point's index. Appending keeps every existing
// offset valid and gives new points each attribute's default.
//
// The map grows the attributes that hold its elements' data: the owner
// hands it that dictionary when it builds the map, so the map knows the
// attributes and nothing of the detail that owns both.
#pragma once

#include <GA/GA_Types.h>
#include <UT/UT_API.h>

class GA_AttributeDict;

class UT_API GA_IndexMap
{
public:
    // attributes must outlive the map (the owner holds both).
    explicit GA_IndexMap(GA_AttributeDict &attributes) : myAttributes(&attributes) {}
    // A map belongs to its owner; a copied detail builds its own.
    GA_IndexMap(const GA_IndexMap &) = delete;
    GA_IndexMap &operator=(const GA_IndexMap &) = delete;

    // Appends n elements and returns the offset of the first, or
    // GA_INVALID_OFFSET when n is not positive (nothing is appended).
    GA_Offset addElementBlock(GA_Size n);
    GA_Size indexSize() const { return mySize; }
    GA_Offset offsetFromIndex(GA_Index i) const { return i; }
    GA_Index indexFromOffset(GA_Offset o) const { return o; }

    // Takes n elements whose attribute data the owner has already put in
    // place (clearing, or copying another map's attributes); the attributes
    // are not touched.
    void adoptSize(GA_Size n) { mySize = n; }

private:
    GA_AttributeDict *myAttributes;
    GA_Size mySize = 0;
};
