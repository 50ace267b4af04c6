#include "render/tests/test_scenes.h"

GU_Detail makePoints(const std::vector<TestPoint> &points, bool withIntensity)
{
    GU_Detail detail;
    GA_ATINumeric *position = detail.addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *intensity = withIntensity ? detail.addFloatTuple3("I", GA_TYPE_NORMAL) : nullptr;
    if (points.empty())
        return detail;
    const GA_Offset first = detail.appendPointBlock(GA_Size(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
    {
        const GA_Offset off = first + GA_Offset(i);
        position->setDouble(off, 0, points[i].x);
        position->setDouble(off, 1, points[i].y);
        position->setDouble(off, 2, points[i].z);
        if (intensity)
            intensity->setDouble(off, 0, points[i].intensity);
    }
    return detail;
}

GU_Detail makeTriangles(const std::vector<TestTriangle> &triangles)
{
    GU_Detail detail;
    GA_ATINumeric *position = detail.addFloatTuple3("P", GA_TYPE_POINT);
    detail.addFloatTuple3("N", GA_TYPE_VECTOR, {0.0, 1.0, 0.0});
    if (triangles.empty())
        return detail;
    const GA_Offset first = detail.appendPointBlock(GA_Size(triangles.size() * 3));
    for (size_t t = 0; t < triangles.size(); ++t)
    {
        std::vector<GA_Offset> corners;
        for (int k = 0; k < 3; ++k)
        {
            const GA_Offset off = first + GA_Offset(t * 3 + size_t(k));
            for (int c = 0; c < 3; ++c)
                position->setDouble(off, c, triangles[t][size_t(k)][size_t(c)]);
            corners.push_back(off);
        }
        detail.appendPolygon(corners);
    }
    return detail;
}

GU_Detail makeInput(int count)
{
    GU_Detail detail;
    detail.addFloatTuple3("P", GA_TYPE_POINT);
    if (count > 0)
        detail.appendPointBlock(count);
    return detail;
}

Rgb pixelAt(const std::vector<uint8_t> &rgb, int width, int x, int y)
{
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
}
