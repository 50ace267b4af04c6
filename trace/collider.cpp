#include "trace/collider.h"

#include "accel/collider_bvh.h"
#include "accel/nearest_hit.h"

#include <GEO/GEO_PrimList.h>

struct Collider::Acceleration
{
    ColliderBvh bvh;
};

Collider::Collider(const GEO_Detail &gdp, SearchMode mode)
    : myMode(mode), myLists(gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::All, DataIds::Keep))
{
    if (!usable())
        return;

    const AttributeHandle &positions = myLists.positions(0);
    const GEO_PrimList &prims = gdp.primitives();
    const GA_Size numPoints = gdp.getNumPoints();
    const AttributeHandle &directions = myLists.directions(0);
    const AttributeHandle *intensities = myLists.intensities.isEmpty() ? nullptr : &myLists.intensities(0);
    myTriangles.reserve(size_t(prims.entries()));
    myCornerValues.reserve(size_t(prims.entries()));
    for (GA_Index j = 0; j < prims.entries(); ++j)
    {
        const GEO_Primitive *prim = prims.rawEntry(j);
        // Primitives with fewer than three vertices form no triangle; they
        // are skipped rather than read past their end.
        if (prim->getVertexCount() < 3)
            continue;
        GA_Offset corners[3];
        bool valid = true;
        for (int k = 0; k < 3; ++k)
        {
            GA_Index point = prim->getVertexElement(k).getPointIndex();
            // Point numbers travel as 32-bit values; a number that does not
            // survive that, or names no point, is never read.
            if (point != GA_Index(int32_t(point)) || point < 0 || point >= numPoints)
                valid = false;
            corners[k] = point;
        }
        if (!valid)
            continue;
        CornerValues values;
        for (int k = 0; k < 3; ++k)
        {
            values.direction[k] = readVector(directions, corners[k]);
            // Without an intensity attribute every corner contributes (1, 1, 1).
            values.intensity[k] = intensities ? readVector(*intensities, corners[k]) : UT_Vector3(1.0f, 1.0f, 1.0f);
        }
        myCornerValues.push_back(values);
        myTriangles.push_back(
            {readVector(positions, corners[0]), readVector(positions, corners[1]), readVector(positions, corners[2])});
    }

    if (myMode == SearchMode::Accelerated && !myTriangles.empty())
    {
        // Triangles are listed in primitive order, so the structure's lowest
        // list position among equal distances is the lowest primitive index.
        myAccel = std::make_unique<Acceleration>();
        if (myAccel->bvh.build(myTriangles))
        {
            myTriangles = std::vector<Triangle>();  // the structure holds its own copy
        }
        else
        {
            // Too large for the structure: search exhaustively instead.
            myAccel.reset();
            myMode = SearchMode::Exhaustive;
        }
    }
}

Collider::~Collider() = default;

bool Collider::nearestHit(const UT_Vector3 &origin, const UT_Vector3 &direction, ColliderHit &hit) const
{
    NearestHit nearest;
    // Triangles are listed in primitive order, so a list position is the
    // triangle's index and the lowest position wins among equal distances.
    const bool found = myAccel ? myAccel->bvh.nearestHit(origin, direction, nearest)
                               : nearestHitExhaustive(myTriangles, {}, origin, direction, nearest);
    if (!found)
        return false;
    hit.triangle = nearest.primitive;
    hit.hit = nearest.hit;
    return true;
}

UT_Vector3 Collider::interpolate(const UT_Vector3 (&values)[3], const ColliderHit &hit)
{
    const UT_Vector3 &w = hit.hit.weights;
    UT_Vector3 r;
    for (int c = 0; c < 3; ++c)
    {
        const float a = w[0] * values[0][c];
        const float b = w[1] * values[1][c];
        const float s = a + b;
        const float d = w[2] * values[2][c];
        r[c] = s + d;
    }
    return r;
}

void Collider::prefetchSurface(const ColliderHit &hit) const
{
    const char *record = reinterpret_cast<const char *>(&myCornerValues[size_t(hit.triangle)]);
    __builtin_prefetch(record);
    __builtin_prefetch(record + sizeof(CornerValues) - 1);
}

UT_Vector3 Collider::surfaceDirection(const ColliderHit &hit) const
{
    return interpolate(myCornerValues[size_t(hit.triangle)].direction, hit);
}

UT_Vector3 Collider::surfaceIntensity(const ColliderHit &hit) const
{
    if (!myLists.intensities.isEmpty())
        return interpolate(myCornerValues[size_t(hit.triangle)].intensity, hit);
    // A collider without an intensity attribute is neutral: the weights'
    // sum, (w0 + w1) + w2, in every component.
    const UT_Vector3 &w = hit.hit.weights;
    const float s = w[0] + w[1];
    const float v = s + w[2];
    return UT_Vector3(v, v, v);
}
