// Splitting a range of boxes in two for the hierarchy builder: by the binned
// surface area heuristic, or at the median.
//
// The builder sorts references to the boxes in place, range by range, so
// every pass over a range reads memory in order. Large ranges are binned by
// several threads (UTparallelReduce); the result does not depend on how many.
#pragma once

#include "accel/float4.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// A box with its index in the spare fourth lane of `lo`. The builder sorts
// these in place, so each pass reads memory in order.
struct alignas(16) PrimRef
{
    float lo[4];
    float hi[4];

    uint32_t id() const
    {
        uint32_t i;
        std::memcpy(&i, &lo[3], sizeof i);
        return i;
    }
};

// Trivially constructible so that bins cost nothing until they are used.
struct Bounds
{
    Float4 lo;
    Float4 hi;

    static Bounds empty() { return {Float4::broadcast(INFINITY), Float4::broadcast(-INFINITY)}; }
    void grow(Float4 l, Float4 h)
    {
        lo = min4(lo, l);
        hi = max4(hi, h);
    }
    void grow(const Bounds &b) { grow(b.lo, b.hi); }
    float halfArea() const;  // 0 for an empty box
    float lower(int axis) const;
    float extent(int axis) const;
};

// A run of references with the bounds of their boxes and of their centres.
struct PrimRange
{
    uint32_t begin = 0, end = 0;
    Bounds box = Bounds::empty();
    Bounds centroids = Bounds::empty();  // of the doubled centres lo + hi
    uint32_t size() const { return end - begin; }
};

// Fills in r's bounds from its references.
void computeBounds(const std::vector<PrimRef> &prims, PrimRange &r);

// Splits r at the median centre along its widest axis (in the middle of the
// range when the centres coincide). Both parts are non-empty for size >= 2.
void splitMedian(std::vector<PrimRef> &prims, const PrimRange &r, PrimRange &left, PrimRange &right);

// Splits r by the binned surface area heuristic, pricing a part of n boxes
// by its area times ceil(n / 4) (the exact test takes four triangles at a
// time); at the median when no axis separates the centres (duplicates).
void splitBinned(std::vector<PrimRef> &prims, const PrimRange &r, PrimRange &left, PrimRange &right);
