#include "prep/tests/test_meshes.h"

void makeMesh(GU_Detail &gdp, const std::vector<UT_Vector3> &positions,
              const std::vector<std::vector<GA_Offset>> &faces)
{
    gdp.clearAndDestroy();
    const GA_Offset first = gdp.appendPointBlock(GA_Size(positions.size()));
    GA_ATINumeric *p = gdp.addFloatTuple3("P", GA_TYPE_POINT);
    for (size_t i = 0; i < positions.size(); ++i)
        p->getData().array(0).setTupleBytes(first + GA_Offset(i), positions[i].data());
    for (const std::vector<GA_Offset> &face : faces)
        gdp.appendPolygon(face, true);
}

void makeQuadBox(GU_Detail &gdp)
{
    std::vector<UT_Vector3> corners;
    for (int i = 0; i < 8; ++i)
        corners.emplace_back(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f);
    makeMesh(gdp, corners, {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}});
}

const GA_ATINumeric &position(const GU_Detail &gdp)
{
    return *static_cast<const GA_ATINumeric *>(gdp.findPointAttribute("P"));
}

UT_Vector3D pointValue(const GU_Detail &gdp, const char *name, GA_Offset point)
{
    const auto *a = static_cast<const GA_ATINumeric *>(gdp.findPointAttribute(name));
    return UT_Vector3D(a->getDouble(point, 0), a->getDouble(point, 1), a->getDouble(point, 2));
}

std::vector<std::vector<GA_Offset>> polygonPoints(const GU_Detail &gdp)
{
    std::vector<std::vector<GA_Offset>> polygons;
    for (GA_Index j = 0; j < gdp.primitives().entries(); ++j)
    {
        const GEO_Primitive &prim = *gdp.primitives().rawEntry(j);
        polygons.emplace_back();
        for (GA_Size k = 0; k < prim.getVertexCount(); ++k)
            polygons.back().push_back(prim.getPointOffset(k));
    }
    return polygons;
}
