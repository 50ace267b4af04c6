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
    // an intensity attribute every corner contributes (1, 1, 1). Defined
    // below: they run for every hit.
    UT_Vector3 surfaceDirection(const ColliderHit &hit) const;
    UT_Vector3 surfaceIntensity(const ColliderHit &hit) const;
    // Asks for the values the two functions above read to be fetched into
    // the cache; reads nothing itself. Also defined below.
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

inline UT_Vector3 Collider::interpolate(const UT_Vector3 (&values)[3], const ColliderHit &hit)
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

inline void Collider::prefetchSurface(const ColliderHit &hit) const
{
    const char *record = reinterpret_cast<const char *>(&myCornerValues[size_t(hit.triangle)]);
    __builtin_prefetch(record);
    __builtin_prefetch(record + sizeof(CornerValues) - 1);
}

inline UT_Vector3 Collider::surfaceDirection(const ColliderHit &hit) const
{
    return interpolate(myCornerValues[size_t(hit.triangle)].direction, hit);
}

inline UT_Vector3 Collider::surfaceIntensity(const ColliderHit &hit) const
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
