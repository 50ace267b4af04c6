#include "cli/demo_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

struct Vec
{
    double x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Vec a, Vec b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Stores v, rounded to float, as the point's value.
void setTuple(GA_ATINumeric *a, GA_Offset pt, Vec v)
{
    a->setDouble(pt, 0, float(v.x));
    a->setDouble(pt, 1, float(v.y));
    a->setDouble(pt, 2, float(v.z));
}

// One flat rectangle of the collider: corner, two edges, the side from which
// rays meet it (the direction they travel), the direction value its points
// carry and their intensity factor.
struct Panel
{
    Vec corner, edgeU, edgeV;
    Vec facing;
    Vec surface;
    Vec factor;
    int quadsU, quadsV;
};

class ColliderBuilder
{
public:
    explicit ColliderBuilder(GU_Detail &gdp)
        : myGdp(gdp), myP(gdp.addFloatTuple3("P", GA_TYPE_POINT)), myN(gdp.addFloatTuple3("N", GA_TYPE_VECTOR)),
          myCs(gdp.addFloatTuple3("Cs", GA_TYPE_NORMAL))
    {}

    void add(Panel panel)
    {
        // Wind the grid so its winding normal runs along `facing`.
        if (dot(cross(panel.edgeU, panel.edgeV), panel.facing) < 0.0)
        {
            std::swap(panel.edgeU, panel.edgeV);
            std::swap(panel.quadsU, panel.quadsV);
        }
        const int nu = panel.quadsU, nv = panel.quadsV;
        const GA_Offset first = myGdp.appendPointBlock(GA_Size(nu + 1) * (nv + 1));
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i)
            {
                const Vec p = panel.corner + (double(i) / nu) * panel.edgeU + (double(j) / nv) * panel.edgeV;
                const GA_Offset pt = first + GA_Offset(j) * (nu + 1) + i;
                setTuple(myP, pt, p);
                setTuple(myN, pt, panel.surface);
                setTuple(myCs, pt, panel.factor);
            }
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i)
            {
                const GA_Offset p00 = first + GA_Offset(j) * (nu + 1) + i;
                const GA_Offset p10 = p00 + 1, p01 = p00 + (nu + 1), p11 = p01 + 1;
                // Both triangles keep the grid's winding: cross(u, u + v) = cross(u + v, v) = cross(u, v).
                myGdp.appendPolygon({p00, p10, p11});
                myGdp.appendPolygon({p00, p11, p01});
            }
    }

private:
    GU_Detail &myGdp;
    GA_ATINumeric *myP, *myN, *myCs;
};

void buildRoom(GU_Detail &gdp, int n)
{
    const Vec X{6, 0, 0}, Y{0, 3, 0}, Z{0, 0, 4};
    ColliderBuilder room(gdp);
    // Walls: met from inside, so they face outwards; N points into the room.
    room.add({{-3, 0, -2}, X, Z, {0, -1, 0}, {0, 1, 0}, {0.80, 0.75, 0.70}, n, n});  // floor
    room.add({{-3, 3, -2}, X, Z, {0, 1, 0}, {0, -1, 0}, {0.90, 0.90, 0.88}, n, n});  // ceiling
    room.add({{-3, 0, -2}, Z, Y, {-1, 0, 0}, {1, 0, 0}, {0.85, 0.45, 0.40}, n, n});  // x = -3
    room.add({{3, 0, -2}, Z, Y, {1, 0, 0}, {-1, 0, 0}, {0.40, 0.50, 0.85}, n, n});   // x = +3
    room.add({{-3, 0, -2}, X, Y, {0, 0, -1}, {0, 0, 1}, {0.75, 0.80, 0.70}, n, n});  // z = -2
    room.add({{-3, 0, 2}, X, Y, {0, 0, 1}, {0, 0, -1}, {0.70, 0.75, 0.80}, n, n});   // z = +2

    // The block on the floor, x 0.8..2, y 0..1, z -1.2..0: met from outside,
    // so its faces face inwards; N points out into the room.
    const int m = std::max(1, n / 4);
    const Vec bx{1.2, 0, 0}, by{0, 1, 0}, bz{0, 0, 1.2};
    const Vec grey{0.60, 0.65, 0.70};
    room.add({{0.8, 1, -1.2}, bx, bz, {0, -1, 0}, {0, 1, 0}, grey, m, m});  // top
    room.add({{0.8, 0, -1.2}, bz, by, {1, 0, 0}, {-1, 0, 0}, grey, m, m});  // x = 0.8
    room.add({{2.0, 0, -1.2}, bz, by, {-1, 0, 0}, {1, 0, 0}, grey, m, m});  // x = 2
    room.add({{0.8, 0, -1.2}, bx, by, {0, 0, 1}, {0, 0, -1}, grey, m, m});  // z = -1.2
    room.add({{0.8, 0, 0}, bx, by, {0, 0, -1}, {0, 0, 1}, grey, m, m});     // z = 0
}

// Direction number i of n: the R2 low-discrepancy sequence on the unit
// square, folded onto the octahedron |x| + |y| + |z| = 1, then normalised.
Vec emitterDirection(int64_t i)
{
    const double a1 = 0.7548776662466927, a2 = 0.5698402909980532;  // 1/g, 1/g^2 for the plastic number g
    double u = 0.5 + a1 * double(i), v = 0.5 + a2 * double(i);
    u = 2.0 * (u - std::floor(u)) - 1.0;
    v = 2.0 * (v - std::floor(v)) - 1.0;
    Vec d{u, v, 1.0 - std::fabs(u) - std::fabs(v)};
    if (d.z < 0.0)
    {
        const double x = (1.0 - std::fabs(v)) * (u < 0.0 ? -1.0 : 1.0);
        const double y = (1.0 - std::fabs(u)) * (v < 0.0 ? -1.0 : 1.0);
        d.x = x;
        d.y = y;
    }
    return (1.0 / std::sqrt(dot(d, d))) * d;
}

void buildEmitters(GU_Detail &gdp, int64_t count)
{
    GA_ATINumeric *p = gdp.addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *n = gdp.addFloatTuple3("N", GA_TYPE_VECTOR);
    GA_ATINumeric *cs = gdp.addFloatTuple3("Cs", GA_TYPE_NORMAL);
    const Vec lamp{-1.0, 2.4, 0.5};
    const double radius = 0.15;
    const GA_Offset first = gdp.appendPointBlock(count);
    for (int64_t i = 0; i < count; ++i)
    {
        const Vec d = emitterDirection(i);
        setTuple(p, first + i, lamp + radius * d);
        setTuple(n, first + i, d);
        setTuple(cs, first + i, {1, 1, 1});
    }
}

}  // namespace

DemoScene makeDemoScene(const DemoSceneSize &size)
{
    DemoScene scene;
    scene.collider = std::make_shared<GU_Detail>();
    scene.points = std::make_shared<GU_Detail>();
    buildRoom(*scene.collider, std::max(1, size.quadsPerSide));
    buildEmitters(*scene.points, std::max<int64_t>(1, size.emitters));
    return scene;
}

NodeParameters demoParameters()
{
    NodeParameters p;
    p.bounces = 4;
    p.scatter = 60.0;
    p.scatterNum = 8;
    p.dissipation = 0.5;
    return p;
}
