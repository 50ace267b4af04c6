// Facing cones: children of a node whose triangles all turn their backs on
// a ray, so that the walk may skip them.
//
// A ray that leaves a surface (every ray after the first generation) starts
// inside the boxes of the triangles around its origin, and the walk enters
// those first; yet they all face away from it, and the exact test rejects
// each of them at its front-face test. So every child of a node carries a
// cone that holds the normals of all its triangles, and the walk skips a
// child whose whole cone points along the ray.
//
// The skip drops only triangles that the front-face test rejects. That test
// computes m.d in float from each triangle's float normal
// m = (P2 - P0) x (P1 - P0) and rejects unless the sum is below 0; the sum
// lies within 5.3u |m||d| of the exact m.d (u = 2^-24, plus underflow far
// below that), so an exact angle between m and d below 90 degrees less
// 2^-16 radians already forces a rejection. The cone (axis and half-angle,
// in double from the float normals, angles from their sines so that small
// ones are accurate) holds every m. The node stores the axis as small integers q and
// a limit such that a float q.d above the limit proves that the angle
// between q and d, plus the cone's half-angle about q, plus 2^-16, stays
// below 90 degrees, allowing for the rounding of q.d and for directions up
// to 2^-10 off unit length (the walk takes no others: traversal_ray.h).
#pragma once

#include "accel/bvh_node.h"
#include "accel/triangle_batch.h"

#include <cstddef>
#include <cstdint>

// The unit normals of a set of triangles: their sum, and a half-angle about
// the sum's direction that holds them all (kNoCone when none is known).
struct FacingCone
{
    double sum[3];
    double angle;
};

constexpr double kNoCone = 4.0;  // above pi: holds every direction

// The cone of the float normals of `count` triangles (count >= 1).
FacingCone coneOfTriangles(const PackedTriangle *triangles, size_t count);

// A cone holding every normal of the given cones.
FacingCone mergeCones(const FacingCone *cones, int count);

// Stores the cone as child i's axis and limit (a child without a cone, or an
// empty slot, gets the limit that no ray passes).
void storeCone(BvhNode &node, int child, const FacingCone &cone);

// Fills in the cones of every node under ref (a node or a leaf of the
// triangles in leaf order) and returns the cone of all its triangles. With
// `parallel` the children of ref are done on several threads (UTparallelFor);
// the cones do not depend on it.
FacingCone setFacingCones(BvhNode *nodes, uint32_t ref, const PackedTriangle *triangles, bool parallel = false);

// True when every triangle under child i turns its back on the direction d,
// for directions within 2^-10 of unit length. Scalar float arithmetic: the
// limit allows for its rounding in any summation order.
inline bool facesAway(const BvhNode &node, int child, const float d[3])
{
    const float along = (float(node.coneAxis[0][child]) * d[0] + float(node.coneAxis[1][child]) * d[1]) +
                        float(node.coneAxis[2][child]) * d[2];
    return along > float(node.coneLimit[child]);
}
