// A four-wide bounding volume hierarchy over boxes, built with the binned
// surface area heuristic.
//
// Four children per node let one SIMD slab test decide all of them, and
// leaves of up to four boxes match the four-lane exact test. The builder sees
// boxes only (each already grown to hold every hit its triangle can accept),
// so it knows nothing of triangles or rounding. Large subtrees are built in
// parallel with oneTBB; the tree's shape and leaf order do not depend on the
// thread count, only the numbering of nodes in memory does.
#pragma once

#include "accel/bvh_node.h"
#include "accel/triangle_bounds.h"

#include <cstdint>
#include <vector>

struct BvhLayout
{
    std::vector<BvhNode> nodes;
    std::vector<uint32_t> order;  // order[k]: index of the box stored at leaf slot k
    uint32_t root = kEmptyChild;  // a node, a leaf, or kEmptyChild when there are no boxes
    TriangleBox rootBox{};        // union of all boxes
};

// Builds the hierarchy over boxes.size() boxes (fewer than kMaxLeafSlots).
BvhLayout buildBvh(const std::vector<TriangleBox> &boxes);
