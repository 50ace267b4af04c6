// The hierarchy's node: four children in one cache line.
//
// Fetching nodes is most of a query's time, so a node stores its children's
// boxes in 8-bit steps of its own box and fits one 64-byte line. Decoding
// rounds, so the encoder checks every decoded plane with the very float
// arithmetic the walk uses and moves it outwards until the decoded box holds
// the child's true box; the walk may then treat decoded boxes as the boxes.
#pragma once

#include "accel/triangle_bounds.h"

#include <cstdint>

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

// Plane p (rows lo x, hi x, lo y, hi y, lo z, hi z) of child i lies at
// origin[axis] + q[p][i] * scale[axis], evaluated in float exactly so (one
// product, one sum). Unused children hold kEmptyChild; their boxes are
// meaningless.
struct alignas(64) BvhNode
{
    float origin[3];
    float scale[3];
    uint32_t child[4];
    uint8_t q[6][4];
};
static_assert(sizeof(BvhNode) == 64, "a node is one cache line");

inline float decodePlane(const BvhNode &node, int row, int child)
{
    const int axis = row / 2;
    return node.origin[axis] + float(node.q[row][child]) * node.scale[axis];
}

// Stores `count` (1 to 4) child boxes in the node so that each decoded box
// contains its child's box. Child references are left to the caller.
void encodeChildBoxes(BvhNode &node, const TriangleBox *boxes, int count);
