#include "prep/polygon_geometry.h"

void readPolygonCorners(const GEO_Primitive &prim, const GA_ATINumeric &position, std::vector<UT_Vector3> &corners)
{
    const GA_Size count = prim.getVertexCount();
    corners.resize(size_t(count));
    for (GA_Size k = 0; k < count; ++k)
    {
        const GA_Offset point = prim.getPointOffset(k);
        for (int c = 0; c < 3; ++c)
            corners[size_t(k)][size_t(c)] = float(position.getDouble(point, c));
    }
}

UT_Vector3D polygonAreaVector(const std::vector<UT_Vector3> &corners)
{
    UT_Vector3D sum;
    if (corners.size() < 3)
        return sum;
    // Differences from the first corner keep the products small, so a polygon
    // far from the origin loses no precision to cancellation.
    const auto fromFirst = [&corners](size_t i) {
        return UT_Vector3D(double(corners[i].x()) - double(corners[0].x()),
                           double(corners[i].y()) - double(corners[0].y()),
                           double(corners[i].z()) - double(corners[0].z()));
    };
    for (size_t i = 1; i + 1 < corners.size(); ++i)
    {
        const UT_Vector3D a = fromFirst(i);
        const UT_Vector3D b = fromFirst(i + 1);
        sum.x() += a.y() * b.z() - a.z() * b.y();
        sum.y() += a.z() * b.x() - a.x() * b.z();
        sum.z() += a.x() * b.y() - a.y() * b.x();
    }
    return sum;
}

bool isFace(const GEO_Primitive &prim)
{
    if (prim.getTypeId() != GEO_PRIMPOLY || prim.getVertexCount() < 3)
        return false;
    return static_cast<const GEO_PrimPoly &>(prim).isClosed();
}
