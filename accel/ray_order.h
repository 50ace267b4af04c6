// An order in which to search a batch of independent rays.
//
// A search spends most of its time waiting for nodes and triangles to arrive
// from memory. Rays that start near each other and head the same way visit
// much the same nodes and leaves, so searching them one after the other finds
// those still in the cache. The order sorts rays by a Morton code of the
// origin, quantised in the box of the batch's origins, below the octant of
// the direction. It only reorders: callers still store each result in its
// ray's own slot, so no output depends on it.
#pragma once

#include <UT/UT_Vector3.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The sort key of one ray: the direction's octant (bit 0 set for negative x,
// bit 1 for y, bit 2 for z) in bits 21..23 and the origin's 21-bit Morton
// code (128 cells per axis, x lowest) below it. Origin components are
// quantised in [lo, hi]; ones outside it (or not finite) are clamped to the
// nearest end, NaN to the low end. A batch of a few thousand rays has far
// fewer rays than cells, so finer cells would order nothing more.
uint32_t rayOrderKey(const UT_Vector3 &origin, const UT_Vector3 &direction, const UT_Vector3 &lo, const UT_Vector3 &hi);

// order receives a permutation of [0, count), count below 2^32: the rays in
// the order to search them. Ray i starts at origins[i * originStride] (a
// stride of 0 gives all rays one origin) along directions[i]. Rays with equal
// keys keep their batch order, so the order is the same on every run and
// platform.
void coherentRayOrder(const UT_Vector3 *origins, size_t originStride, const UT_Vector3 *directions, size_t count,
                      std::vector<uint32_t> &order);

// Rearranges values into the given order: values[j] becomes the old
// values[order[j]]. order is a permutation of [0, values.size()).
void permute(std::vector<UT_Vector3> &values, const std::vector<uint32_t> &order);
