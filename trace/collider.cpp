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
            // A hit's surface values start on their way while the search
            // still runs, not only once it ends (prefetchSurface).
            myAccel->bvh.setHitRecords(myCornerValues.data(), sizeof(CornerValues));
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
