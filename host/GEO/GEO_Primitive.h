// Primitives: ordered lists of vertices. Polygons of any vertex count are the
// one kind this library builds; the collider reads vertices 0, 1 and 2.
#pragma once

#include <GEO/GEO_Vertex.h>
#include <UT/UT_API.h>
#include <vector>

class GEO_Detail;

enum GEO_PrimTypeId : int32_t
{
    GEO_PRIMPOLY = 1
};

class UT_API GEO_Primitive
{
public:
    GEO_Primitive(GEO_Detail *detail, std::vector<GA_Offset> vertices);
    virtual ~GEO_Primitive();

    virtual GEO_PrimTypeId getTypeId() const = 0;
    virtual GEO_Primitive *cloneInto(GEO_Detail *detail) const = 0;

    GA_Size getVertexCount() const { return GA_Size(myVertices.size()); }
    GA_Offset getVertexOffset(GA_Size k) const { return myVertices[size_t(k)]; }
    // Vertex k as a temporary object (caller checks k < getVertexCount()).
    GEO_Vertex getVertexElement(GA_Size k) const { return GEO_Vertex(myDetail, myVertices[size_t(k)]); }
    // Point offset of vertex k; GA_INVALID_OFFSET when k is out of range.
    GA_Offset getPointOffset(GA_Size k) const;

protected:
    GEO_Detail *myDetail;
    std::vector<GA_Offset> myVertices;
};

class UT_API GEO_PrimPoly : public GEO_Primitive
{
public:
    GEO_PrimPoly(GEO_Detail *detail, std::vector<GA_Offset> vertices, bool closed);
    GEO_PrimTypeId getTypeId() const override { return GEO_PRIMPOLY; }
    GEO_Primitive *cloneInto(GEO_Detail *detail) const override;
    bool isClosed() const { return myClosed; }

private:
    bool myClosed;
};
