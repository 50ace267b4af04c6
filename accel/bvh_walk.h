// The walk down the hierarchy for one ray: nearest children first, leaves
// tested with the exact test, the segment cut short by every better hit.
//
// The walk comes in two widths of child test (child_slabs.h) that make the
// same decisions; the wide one needs AVX2, which not every x86-64 processor
// has, so each structure chooses its width once, when it is built, from
// what the processor offers.
#pragma once

#include "accel/bvh_node.h"
#include "accel/traversal_ray.h"

#include <cstdint>

enum class NodeTestWidth
{
    Four,  // two groups of four lanes: every x86-64 processor
    Eight  // one group of eight AVX2 lanes
};

// Eight when this build has the wide test and the processor runs AVX2.
NodeTestWidth widestNodeTest();

// What the walk reads: the nodes, the triangles in leaf order and the root
// (kEmptyChild for none).
struct BvhView
{
    const BvhNode *nodes;
    const PackedTriangle *triangles;
    uint32_t root;
    // Records of hitRecordSize bytes, one per list position, that the caller
    // reads for the nearest hit; each new nearest candidate's record is
    // asked into the cache while the walk goes on. Null for none.
    const char *hitRecords = nullptr;
    size_t hitRecordSize = 0;
};

// Walks the hierarchy for the prepared ray, keeping the best hit in `best`
// and shortening the ray's reach as better hits are found. width must not
// be wider than widestNodeTest().
void walkBvh(const BvhView &view, NodeTestWidth width, TraversalRay &ray, BestHit &best);
