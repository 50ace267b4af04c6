// The nearest hit of a ray among a list of triangles, and the exhaustive
// search that defines it.
//
// Every triangle is tested with the exact acceptance test; of the accepted
// hits the one with the lowest single-precision squared distance wins, ties
// going to the earlier triangle in the list, and squared distances that do not
// fall below 9999999999.0 (as doubles) never count. The accelerated search
// (collider_bvh.h) must return the same hit, bit for bit; this search is the
// reference it is checked against, and the choice offered to users who want
// to check it themselves.
#pragma once

#include "math/triangle_hit.h"

#include <cstdint>
#include <vector>

struct NearestHit
{
    int64_t primitive;  // primitiveIndex of the winning triangle (its list position if none given)
    TriangleHit hit;
};

// Tests triangles[0], triangles[1], ... in order. primitiveIndex is empty
// (triangle i reports i) or holds one entry per triangle; with any other
// length nothing is reported. Returns false and leaves `out` unchanged when
// no triangle accepts the ray.
bool nearestHitExhaustive(const std::vector<Triangle> &triangles, const std::vector<int64_t> &primitiveIndex,
                          const UT_Vector3 &origin, const UT_Vector3 &direction, NearestHit &out);
