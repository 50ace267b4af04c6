// The acceptance test of one triangle against one ray.
//
// The exhaustive search tests every triangle with this function, and any
// faster search must test its candidates with it too: both then choose
// bit-identical hits, because the hit point, the weights and the squared
// distance come from one fixed sequence of single-precision steps. Choosing
// the nearest hit, and the distance bound below, are left to the caller.
#pragma once

#include "math/vector_math.h"

// An accepted hit: the point on the triangle's plane, its barycentric weights
// (each within [0, 1]) and its single-precision squared distance from the
// ray's origin.
struct TriangleHit
{
    UT_Vector3 point;
    UT_Vector3 weights;
    float squaredDistance;
};

// A hit is kept only when its squared distance, widened to double, is below
// the best so far, and the best starts here. Hits at 1e10 or more are thus
// never kept; the largest float that passes is 9999998976.
constexpr double kNoHitSquaredDistance = 9999999999.0;

// True when the triangle accepts the ray (origin, direction): the ray meets its
// front face, the plane lies strictly ahead of the origin, and the hit point
// lies inside the triangle or on its border (all weights within [0, 1]; a NaN
// weight fails). direction is expected to have unit length. On acceptance
// `hit` is filled in; otherwise it is left untouched.
bool hitTriangle(const UT_Vector3 &origin, const UT_Vector3 &direction, const Triangle &triangle, TriangleHit &hit);
