#include "bench/room_geometry.h"

#include <cmath>

namespace
{

// The collider's surface factor: walls and objects alike reflect most of
// what reaches them.
constexpr float kSurfaceFactor = 0.8f;

void setVector(GA_ATINumeric *a, GA_Offset pt, const UT_Vector3 &v)
{
    for (int c = 0; c < 3; ++c)
        a->setDouble(pt, c, v[c]);
}

}  // namespace

std::unique_ptr<GU_Detail> roomColliderDetail(const RoomScene &scene)
{
    // Sums of reversed winding normals, area-weighted (the cross products are
    // not normalised), kept in double: only the direction matters here.
    std::vector<double> facing(3 * scene.points.size(), 0.0);
    for (const std::array<int32_t, 3> &t : scene.triangles)
    {
        const UT_Vector3 &p0 = scene.points[size_t(t[0])];
        const UT_Vector3 n = cross(sub(scene.points[size_t(t[1])], p0), sub(scene.points[size_t(t[2])], p0));
        for (int32_t corner : t)
            for (int c = 0; c < 3; ++c)
                facing[3 * size_t(corner) + size_t(c)] -= double(n[c]);
    }

    auto gdp = std::make_unique<GU_Detail>();
    GA_ATINumeric *p = gdp->addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *n = gdp->addFloatTuple3("N", GA_TYPE_VECTOR);
    GA_ATINumeric *cs = gdp->addFloatTuple3("Cs", GA_TYPE_NORMAL);
    const GA_Offset first = gdp->appendPointBlock(GA_Size(scene.points.size()));
    for (size_t i = 0; i < scene.points.size(); ++i)
    {
        const GA_Offset pt = first + GA_Offset(i);
        const double *f = &facing[3 * i];
        const double length = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
        // A point on no triangle (or on a fold that cancels out) still needs
        // a direction; any unit vector will do.
        const UT_Vector3 direction = length > 0.0
                                         ? UT_Vector3(float(f[0] / length), float(f[1] / length), float(f[2] / length))
                                         : UT_Vector3(0.0f, 0.0f, 1.0f);
        setVector(p, pt, scene.points[i]);
        setVector(n, pt, direction);
        setVector(cs, pt, UT_Vector3(kSurfaceFactor, kSurfaceFactor, kSurfaceFactor));
    }
    for (const std::array<int32_t, 3> &t : scene.triangles)
        gdp->appendPolygon({first + t[0], first + t[1], first + t[2]});
    return gdp;
}

std::unique_ptr<GU_Detail> roomPointsDetail(const std::vector<SceneRay> &rays)
{
    auto gdp = std::make_unique<GU_Detail>();
    GA_ATINumeric *p = gdp->addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *n = gdp->addFloatTuple3("N", GA_TYPE_VECTOR);
    GA_ATINumeric *cs = gdp->addFloatTuple3("Cs", GA_TYPE_NORMAL);
    const GA_Offset first = gdp->appendPointBlock(GA_Size(rays.size()));
    for (size_t i = 0; i < rays.size(); ++i)
    {
        const GA_Offset pt = first + GA_Offset(i);
        setVector(p, pt, rays[i].origin);
        setVector(n, pt, rays[i].direction);
        setVector(cs, pt, UT_Vector3(1.0f, 1.0f, 1.0f));
    }
    return gdp;
}
