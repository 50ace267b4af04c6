#include "prep/collider_triangulation.h"

#include "prep/ear_clipping.h"
#include "prep/polygon_geometry.h"

#include <vector>

namespace
{
bool needsCutting(const GEO_Primitive &prim) { return isFace(prim) && prim.getVertexCount() > 3; }

// The primitive's point offsets, in vertex order.
std::vector<GA_Offset> primitivePoints(const GEO_Primitive &prim)
{
    std::vector<GA_Offset> points(size_t(prim.getVertexCount()));
    for (size_t k = 0; k < points.size(); ++k)
        points[k] = prim.getPointOffset(GA_Size(k));
    return points;
}

// target gets source's points and point attributes, sharing their pages,
// and no primitives.
void copyPoints(const GU_Detail &source, GU_Detail &target)
{
    target.clearAndDestroy();
    target.appendPointBlock(source.getNumPoints());
    const GA_AttributeDict &attributes = source.pointAttribs();
    for (GA_Size i = 0; i < attributes.entries(); ++i)
        target.pointAttribs().add(attributes.entry(i)->clone());
}
}  // namespace

int64_t countPolygonsToTriangulate(const GU_Detail &gdp)
{
    int64_t count = 0;
    const GEO_PrimList &prims = gdp.primitives();
    for (GA_Index j = 0; j < prims.entries(); ++j)
        count += needsCutting(*prims.rawEntry(j)) ? 1 : 0;
    return count;
}

TriangulationCount triangulatePolygons(const GU_Detail &source, const GA_ATINumeric &position, GU_Detail &target)
{
    TriangulationCount count;
    copyPoints(source, target);
    std::vector<UT_Vector3> corners;
    const GEO_PrimList &prims = source.primitives();
    for (GA_Index j = 0; j < prims.entries(); ++j)
    {
        const GEO_Primitive &prim = *prims.rawEntry(j);
        const std::vector<GA_Offset> points = primitivePoints(prim);
        if (!needsCutting(prim))
        {
            const bool closed = prim.getTypeId() != GEO_PRIMPOLY || static_cast<const GEO_PrimPoly &>(prim).isClosed();
            target.appendPolygon(points, closed);
            continue;
        }
        readPolygonCorners(prim, position, corners);
        const std::vector<CornerTriangle> triangles = clipEars(corners);
        ++count.polygons;
        count.triangles += int64_t(triangles.size());
        count.empty += triangles.empty() ? 1 : 0;
        for (const CornerTriangle &t : triangles)
        {
            const GA_Offset triangle[3] = {points[t.a], points[t.b], points[t.c]};
            target.appendPolygon(triangle, 3, true);
        }
    }
    return count;
}
