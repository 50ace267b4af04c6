#include "prep/face_directions.h"

#include "prep/polygon_geometry.h"

#include <cmath>
#include <vector>

FaceDirectionCount addFaceDirections(GU_Detail &gdp, const GA_ATINumeric &position, const std::string &name)
{
    FaceDirectionCount count;
    const size_t pointCount = size_t(gdp.getNumPoints());
    std::vector<UT_Vector3D> sums(pointCount);
    std::vector<bool> used(pointCount, false);
    std::vector<UT_Vector3> corners;
    const GEO_PrimList &prims = gdp.primitives();
    for (GA_Index j = 0; j < prims.entries(); ++j)
    {
        const GEO_Primitive &prim = *prims.rawEntry(j);
        if (!isFace(prim))
            continue;
        readPolygonCorners(prim, position, corners);
        const UT_Vector3D area = polygonAreaVector(corners);
        for (GA_Size k = 0; k < prim.getVertexCount(); ++k)
        {
            const size_t point = size_t(prim.getPointOffset(k));
            for (size_t c = 0; c < 3; ++c)
                sums[point][c] += area[c];
            used[point] = true;
        }
    }

    std::vector<float> values(pointCount * 3, 0.0f);
    for (size_t p = 0; p < pointCount; ++p)
    {
        const UT_Vector3D &s = sums[p];
        const double length = std::sqrt(s.x() * s.x() + s.y() * s.y() + s.z() * s.z());
        if (!used[p])
            ++count.pointsWithoutFace;
        else if (!(length > 0) || !std::isfinite(length))
            ++count.pointsCancelled;
        else
        {
            ++count.pointsWithDirection;
            for (size_t c = 0; c < 3; ++c)
                values[p * 3 + c] = float(s[c] / length);
        }
    }
    if (count.pointsWithDirection == 0)
        return count;

    count.attribute = gdp.addFloatTuple3(name, GA_TYPE_VECTOR);
    if (!count.attribute)
        return count;
    GA_DataArray &array = count.attribute->getData().array(0);
    for (size_t p = 0; p < pointCount; ++p)
        array.setTupleBytes(GA_Offset(p), &values[p * 3]);
    return count;
}
