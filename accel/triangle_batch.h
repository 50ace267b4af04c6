// The exact acceptance test, four (or eight) triangles at a time, and the nearest-hit
// rule that both search strategies share.
//
// The test is the one-sided triangle test of the math layer step for step,
// computed in four SIMD lanes: each lane yields the same plane parameter, hit
// point, weights and squared distance, to the bit, as hitTriangle. Two things
// make it cheaper without changing any result. The normalised ray direction
// depends on the ray only, so it is computed once per ray with the same
// safeNormalize. And the squared distance is known before the weights, so a
// triangle that could not beat the best hit so far is dropped before its
// divisions and square roots: the outcome is decided by the distance and the
// list position alone, so skipping them cannot change which hit wins.
#pragma once

#include "accel/float4.h"
#include "math/triangle_hit.h"

#include <cstdint>

// One triangle of the structure: its corners P0, P1, P2 as x, y, z triples,
// and its position in the list the caller built from (ties go to the lower).
struct PackedTriangle
{
    // Left uninitialised, so that sizing an array of millions costs no fill.
    PackedTriangle() {}

    float corner[9];
    int32_t position;
};

// The corners of t, component by component, with its list position.
inline PackedTriangle packTriangle(const Triangle &t, int32_t position)
{
    PackedTriangle p;
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            p.corner[3 * k + c] = t[size_t(k)][size_t(c)];
    p.position = position;
    return p;
}

// A ray with everything the exact test needs that depends on the ray alone.
struct ExactRay
{
    UT_Vector3 origin;
    UT_Vector3 direction;  // as passed: the front-face test and the plane parameter use it
    UT_Vector3 unit;       // safeNormalize of a copy: the hit point steps along it
    Vec4x3 origin4;
    Vec4x3 direction4;
    Vec4x3 unit4;
};

ExactRay makeExactRay(const UT_Vector3 &origin, const UT_Vector3 &direction);
// The same, filled in place (a per-ray step: spares copying the record).
void setExactRay(ExactRay &ray, const UT_Vector3 &origin, const UT_Vector3 &direction);

// The best hit so far. A hit replaces it when its squared distance is lower,
// or equal with a lower list position. The start value 1e10f is the float
// nearest the exhaustive search's double bound 9999999999.0, and no float d2
// lies between them, so "d2 < 9999999999.0" is exactly "d2 < 1e10f"; the
// position -1 keeps a hit at exactly 1e10f from winning a tie.
struct BestHit
{
    float squaredDistance = 1e10f;
    int32_t position = -1;
    TriangleHit hit{};

    bool found() const { return position >= 0; }
    bool beatenBy(float d2, int32_t p) const { return d2 < squaredDistance || (d2 == squaredDistance && p < position); }
};

// Tests `count` triangles (1 to 4) and keeps the best accepted hit in `best`.
// Returns true when `best` changed.
bool testTriangleBatch(const PackedTriangle *triangles, int count, const ExactRay &ray, BestHit &best);

// testTriangleBatch over any number of triangles.
bool testTriangles(const PackedTriangle *triangles, size_t count, const ExactRay &ray, BestHit &best);

#if defined(VELKOR_ACCEL_AVX2)
// testTriangleBatch for 1 to 8 triangles, in eight AVX2 lanes: the same
// hits, to the bit. Only for processors that run AVX2 (bvh_walk.h checks).
bool testTriangleBatch8(const PackedTriangle *triangles, int count, const ExactRay &ray, BestHit &best);
#endif
