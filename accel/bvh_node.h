// The hierarchy's node: the boxes and references of eight children.
//
// The bounds are stored by plane, one row per plane and one column per child,
// so that SIMD slab tests decide four children at a time. Eight children per
// node make the tree shallow: a query's time goes mostly into the chain of
// dependent node fetches and branches from the root down, and halving its
// length outweighs testing twice the boxes per node. (Boxes quantised to
// 8 bits saved memory but lengthened that chain.)
#pragma once

#include "accel/triangle_bounds.h"

#include <cstdint>

// Child references: a node index, a leaf (a run of at most 8 slots of the
// leaf order), or nothing.
constexpr uint32_t kEmptyChild = 0xFFFFFFFFu;
constexpr uint32_t kLeafFlag = 0x80000000u;
constexpr uint32_t kLeafBatch = 4;            // triangles the exact test takes at once
constexpr uint32_t kMaxLeafSize = 8;          // two batches
constexpr int kNodeWidth = 8;                 // children per node: two groups of four SIMD lanes
constexpr uint32_t kMaxLeafSlots = 1u << 28;  // leaf starts must fit in 28 bits

inline bool isLeafRef(uint32_t ref) { return (ref & kLeafFlag) != 0; }
inline uint32_t makeLeafRef(uint32_t first, uint32_t count) { return kLeafFlag | first << 3 | (count - 1); }
inline uint32_t leafFirst(uint32_t ref) { return (ref & ~kLeafFlag) >> 3; }
inline uint32_t leafCount(uint32_t ref) { return (ref & 7u) + 1; }

// A cone limit that no direction passes: the child is never skipped for
// facing away (facing_cone.h).
constexpr uint8_t kNoConeLimit = 255;

// Rows: lo x, hi x, lo y, hi y, lo z, hi z; columns: children. Unused
// children hold kEmptyChild and an empty box (lo = +inf, hi = -inf), which no
// slab test passes, whatever the margin. The facing cones fill the rest of
// the node's four cache lines: an axis of three small integers per child and
// a limit on the axis' dot product with the ray direction.
struct alignas(64) BvhNode
{
    float bounds[6][kNodeWidth];
    uint32_t child[kNodeWidth];
    int8_t coneAxis[3][kNodeWidth];
    uint8_t coneLimit[kNodeWidth];
};
static_assert(sizeof(BvhNode) == 256, "a node fills four cache lines");

// Stores `count` (1 to kNodeWidth) child boxes in the node, empties the other
// slots and clears every facing cone. Child references are left to the caller.
void setChildBoxes(BvhNode &node, const TriangleBox *boxes, int count);
