// The accelerated nearest-hit search over a collider's triangles.
//
// Built once per cook over the collider's triangles, then queried by any
// number of threads at once. It returns exactly the hit of
// nearestHitExhaustive: the same triangle and the same bits of point,
// weights and squared distance, for every ray. Candidates are decided by the
// exact test itself; the hierarchy only skips triangles that provably cannot
// accept the ray, or cannot beat the best hit so far, with box margins that
// cover every rounding of the exact test (rounding_bounds.h), and subtrees
// whose triangles all face away from the ray (facing_cone.h). Triangles for
// which no such margin is safe are tested on every ray, and rays that the
// margins are not derived for (non-unit or non-finite directions, huge
// origins) are searched exhaustively.
#pragma once

#include "accel/bvh_builder.h"
#include "accel/bvh_walk.h"
#include "accel/nearest_hit.h"
#include "accel/page_storage.h"
#include "accel/triangle_batch.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ColliderBvh
{
public:
    // Builds the structure over triangles (triangle i reports primitiveIndex[i],
    // or i when primitiveIndex is empty), replacing any earlier contents. The
    // build runs in parallel (UTparallelFor). Returns false, leaving an
    // empty structure that reports no hits, when primitiveIndex has another
    // length than triangles or there are 2^28 triangles or more.
    bool build(std::vector<Triangle> triangles, std::vector<int64_t> primitiveIndex = {});

    // The nearest hit of the ray, as nearestHitExhaustive would report it over
    // the triangles given to build. Returns false and leaves `out` unchanged
    // when there is none. Safe to call from several threads at once.
    bool nearestHit(const UT_Vector3 &origin, const UT_Vector3 &direction, NearestHit &out) const;

    // Bytes held: nodes, triangles, the always-tested list and the primitive
    // index table (kept only when it is not the identity).
    size_t memoryBytes() const;

    size_t nodeCount() const { return myNodes.size(); }
    size_t boundedCount() const { return myTriangles.size(); }  // in the hierarchy
    size_t alwaysTestedCount() const { return myAlwaysTested.size(); }

    // The width of the walk's child tests: the widest the processor runs,
    // from build on. A narrower one may be chosen (to compare the two); a
    // width the processor lacks is not taken.
    NodeTestWidth nodeTestWidth() const { return myNodeTestWidth; }
    // Records of `size` bytes per primitive that the caller reads for each
    // nearest hit (they must outlive the structure's searches): the search
    // asks a candidate's record into the cache as soon as it finds it, so
    // that it has arrived by the time the caller reads it. Null for none.
    void setHitRecords(const void *records, size_t size);
    void setNodeTestWidth(NodeTestWidth width);

private:
    PageVector<BvhNode> myNodes;
    PageVector<PackedTriangle> myTriangles;      // in leaf order
    std::vector<PackedTriangle> myAlwaysTested;  // in list order
    std::vector<int64_t> myPrimitiveIndex;       // empty when it maps i to i
    uint32_t myRoot = kEmptyChild;
    TriangleBox myRootBox{};
    double myCornerRadius = 0.0;  // bounds the distance of every box from the origin
    NodeTestWidth myNodeTestWidth = NodeTestWidth::Four;
    const char *myHitRecords = nullptr;
    size_t myHitRecordSize = 0;
};
