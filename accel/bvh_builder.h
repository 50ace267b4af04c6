// An eight-wide bounding volume hierarchy over boxes, built with the binned
// surface area heuristic.
//
// Leaves hold up to eight boxes, tested by the exact test in batches of four.
// The builder sees
// boxes only (each already grown to hold every hit its triangle can accept),
// so it knows nothing of triangles or rounding. Large subtrees are built in
// parallel (UTparallelFor); the tree's shape and leaf order do not depend on the
// thread count, only the numbering of nodes in memory does.
#pragma once

#include "accel/bvh_node.h"
#include "accel/page_storage.h"
#include "accel/triangle_bounds.h"

#include <cstdint>
#include <vector>

struct BvhLayout
{
    PageVector<BvhNode> nodes;
    std::vector<uint32_t> order;  // order[k]: index of the box stored at leaf slot k
    uint32_t root = kEmptyChild;  // a node, a leaf, or kEmptyChild when there are no boxes
    TriangleBox rootBox{};        // union of all boxes
};

// Builds the hierarchy over boxes[0] to boxes[count - 1] (fewer than
// kMaxLeafSlots boxes).
BvhLayout buildBvh(const TriangleBox *boxes, uint32_t count);
