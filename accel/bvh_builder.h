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

#include "accel/triangle_bounds.h"

#include <cstdint>
#include <vector>

// Child references: a node index, a leaf (a run of at most 8 slots of the
// leaf order), or nothing.
constexpr uint32_t kEmptyChild = 0xFFFFFFFFu;
constexpr uint32_t kLeafFlag = 0x80000000u;
constexpr uint32_t kMaxLeafSize = 4;
constexpr uint32_t kMaxLeafSlots = 1u << 28;  // leaf starts must fit in 28 bits

inline bool isLeafRef(uint32_t ref) { return (ref & kLeafFlag) != 0; }
inline uint32_t makeLeafRef(uint32_t first, uint32_t count)
{
    return kLeafFlag | first << 3 | (count - 1);
}
inline uint32_t leafFirst(uint32_t ref) { return (ref & ~kLeafFlag) >> 3; }
inline uint32_t leafCount(uint32_t ref) { return (ref & 7u) + 1; }

// Bounds of the four children, one row per plane (lo x, hi x, lo y, hi y,
// lo z, hi z), one column per child. Unused children have an empty box
// (lo = +inf, hi = -inf), which no slab test passes.
struct alignas(16) BvhNode
{
    float bounds[6][4];
    uint32_t child[4];
};

struct BvhLayout
{
    std::vector<BvhNode> nodes;
    std::vector<uint32_t> order;  // order[k]: index of the box stored at leaf slot k
    uint32_t root = kEmptyChild;  // a node, a leaf, or kEmptyChild when there are no boxes
    TriangleBox rootBox{};        // union of all boxes
};

// Builds the hierarchy over boxes.size() boxes (fewer than kMaxLeafSlots).
BvhLayout buildBvh(const std::vector<TriangleBox> &boxes);
