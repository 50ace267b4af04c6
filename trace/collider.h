// The collider, prepared once per cook for the nearest-hit search.
//
// The collider is locked and unchanged while a cook runs, so its triangles
// are read once: corners P0, P1, P2 from the first position attribute at the
// points of vertices 0, 1 and 2 of every primitive with three or more
// vertices. The nearest hit is then found either exhaustively, testing every
// triangle in primitive order, or through the acceleration structure, which
// chooses exactly the same hit (same triangle, same bits).
#pragma once

#include "math/triangle_hit.h"
#include "math/vector_math.h"
#include "trace/attribute_lists.h"

#include <cstdint>
#include <memory>
#include <vector>

enum class SearchMode
{
    Accelerated,
    Exhaustive
};

struct ColliderHit
{
    int64_t triangle = -1;  // index into the collider's triangle list
    TriangleHit hit;
};

class Collider
{
public:
    // Gathers the collider's read-only lists (without renewing data ids:
    // every trace renews them itself) and reads its triangles.
    Collider(const GEO_Detail &gdp, SearchMode mode);
    ~Collider();
    Collider(const Collider &) = delete;
    Collider &operator=(const Collider &) = delete;

    // False when the collider has no position or no direction attribute;
    // then nothing can be traced against it.
    bool usable() const { return !myLists.positions.isEmpty() && !myLists.directions.isEmpty(); }
    const AttributeLists &lists() const { return myLists; }
    SearchMode mode() const { return myMode; }
    int64_t triangleCount() const { return int64_t(myCornerValues.size()); }

    // The nearest accepted hit from origin along direction, if any. Among
    // equal squared distances the lowest primitive index wins; squared
    // distances of 9999999999 or more are never accepted. Thread-safe.
    bool nearestHit(const UT_Vector3 &origin, const UT_Vector3 &direction, ColliderHit &hit) const;

    // The direction and intensity values interpolated at a hit with its
    // barycentric weights, each component (w0*V0 + w1*V1) + w2*V2. Without
    // an intensity attribute every corner contributes (1, 1, 1).
    UT_Vector3 surfaceDirection(const ColliderHit &hit) const;
    UT_Vector3 surfaceIntensity(const ColliderHit &hit) const;
    // Asks for the values the two functions above read to be fetched into
    // the cache; reads nothing itself.
    void prefetchSurface(const ColliderHit &hit) const;

private:
    struct Acceleration;

    // The direction and intensity values at the three corners of one
    // triangle, copied out of the attributes when the collider is prepared:
    // a hit then reads one contiguous record instead of six scattered
    // attribute pages. The collider does not change while it is prepared.
    struct CornerValues
    {
        UT_Vector3 direction[3];
        UT_Vector3 intensity[3];
    };

    static UT_Vector3 interpolate(const UT_Vector3 (&values)[3], const ColliderHit &hit);

    SearchMode myMode;
    AttributeLists myLists;
    std::vector<Triangle> myTriangles;
    std::vector<CornerValues> myCornerValues;  // one per triangle, in list order
    std::unique_ptr<Acceleration> myAccel;     // null when searching exhaustively
};
