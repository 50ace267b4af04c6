#include <GEO/GEO_Primitive.h>

#include <utility>

GEO_Primitive::GEO_Primitive(GEO_Detail *detail, std::vector<GA_Offset> vertices)
    : myDetail(detail), myVertices(std::move(vertices))
{}

GEO_Primitive::~GEO_Primitive() = default;

GA_Offset GEO_Primitive::getPointOffset(GA_Size k) const
{
    if (k < 0 || k >= getVertexCount())
        return GA_INVALID_OFFSET;
    return getVertexElement(k).getPointIndex();
}

GEO_PrimPoly::GEO_PrimPoly(GEO_Detail *detail, std::vector<GA_Offset> vertices, bool closed)
    : GEO_Primitive(detail, std::move(vertices)), myClosed(closed)
{}

GEO_Primitive *GEO_PrimPoly::cloneInto(GEO_Detail *detail) const
{
    // Vertex offsets carry over: a copied detail keeps the vertex table as is.
    return new GEO_PrimPoly(detail, myVertices, myClosed);
}
