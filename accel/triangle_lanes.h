// The exact acceptance test of triangle_batch.h, for a batch of lanes of
// either width, to be inlined where it is used: the wide walk calls the
// eight-lane test from code already compiled for AVX2, without a call and
// with the ray's values kept across leaves.
#pragma once

#include "accel/float8.h"
#include "accel/triangle_batch.h"

#include <limits>

// The test is written once, for any lane type with the arithmetic of
// float4.h, and compiled for four SSE lanes and, where the processor has
// them, eight AVX2 lanes. Its helpers are always inlined, so the eight-lane
// copy is compiled for AVX2 alone.
#define VELKOR_INLINE __attribute__((always_inline)) inline

// Internal to each file that includes this: no copy compiled for AVX2 is
// ever shared with baseline code.
namespace
{

// The corners of an unused lane: its front-face normal is zero, so it is
// never met.
const float kNoCorners[9] = {};

struct FourLanes
{
    using F = Float4;
    using M = Mask4;
    using V = Vec4x3;
    static constexpr int kCount = 4;

    static F root(F a) { return sqrt4(a); }
    // Column i of the four rows of four floats that start at rows[lane].
    static void columns(const float *const rows[4], F out[4])
    {
        for (int lane = 0; lane < 4; ++lane)
            out[lane] = Float4::load(rows[lane]);
        transpose4(out[0], out[1], out[2], out[3]);
    }
    static V ray(const Vec4x3 &four) { return four; }
};

#if defined(VELKOR_ACCEL_AVX2)
struct EightLanes
{
    using F = Float8;
    using M = Mask8;
    using V = Vec8x3;
    static constexpr int kCount = 8;

    VELKOR_AVX2 static F root(F a) { return sqrt8(a); }
    VELKOR_AVX2 static void columns(const float *const rows[8], F out[4]) { transposeRows(rows, rows + 4, out); }
    // The ray's broadcast values, widened: both halves of each are the same.
    VELKOR_AVX2 static V ray(const Vec4x3 &four)
    {
        return {{_mm256_set_m128(four.x.v, four.x.v)},
                {_mm256_set_m128(four.y.v, four.y.v)},
                {_mm256_set_m128(four.z.v, four.z.v)}};
    }
};
#endif

// (a.x*b.x + a.y*b.y) + a.z*b.z, the dot product's fixed summation order.
template <class V>
VELKOR_INLINE auto dotLanes(const V &a, const V &b)
{
    return (a.x * b.x + a.y * b.y) + a.z * b.z;
}

// a x b, each component one product minus the other.
template <class V>
VELKOR_INLINE V crossLanes(const V &a, const V &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// safeNormalize in every lane. Each lane computes the square root and the
// reciprocal, and the lanes that the scalar rule leaves alone (squared length
// at most 2^-126, or squared length or length exactly 1) take their input
// back; the selected values are those the scalar code would produce.
template <class L>
VELKOR_INLINE typename L::V safeNormalizeLanes(const typename L::V &v)
{
    using F = typename L::F;
    const F len2 = dotLanes(v, v);
    const F one = F::broadcast(1.0f);
    const F len = L::root(len2);
    const typename L::M keep = (len2 <= F::broadcast(std::numeric_limits<float>::min())) | (len2 == one) | (len == one);
    const F inv = one / len;
    return {select(keep, v.x, v.x * inv), select(keep, v.y, v.y * inv), select(keep, v.z, v.z * inv)};
}

// s*u + (base - apex) with s = (apex - base).u: the altitude vector from apex
// to the line through base along u.
template <class V>
VELKOR_INLINE V altitudeLanes(const V &apex, const V &base, const V &u)
{
    const auto s = dotLanes(apex - base, u);
    return {s * u.x + (base.x - apex.x), s * u.y + (base.y - apex.y), s * u.z + (base.z - apex.z)};
}

template <class L>
VELKOR_INLINE typename L::F altitudeWeightLanes(const typename L::V &q, const typename L::V &corner,
                                                const typename L::V &next, const typename L::V &a)
{
    return L::F::broadcast(1.0f) - dotLanes(q - corner, a) / dotLanes(next - corner, a);
}

// Inclusive 0 <= w <= 1; a NaN weight fails.
template <class L>
VELKOR_INLINE typename L::M unitInterval(typename L::F w)
{
    return (L::F::broadcast(0.0f) <= w) & (w <= L::F::broadcast(1.0f));
}

// Tests `count` triangles (1 to L::kCount) in L's lanes.
template <class L>
VELKOR_INLINE bool testLanes(const PackedTriangle *triangles, int count, const ExactRay &ray, BestHit &best)
{
    using F = typename L::F;
    using V = typename L::V;
    constexpr int kCount = L::kCount;
    // Each triangle's nine corner floats are read as three overlapping rows
    // of four (floats 0-3, 4-7 and 5-8) and transposed into lanes.
    const float *rows[3][kCount];
    for (int lane = 0; lane < kCount; ++lane)
    {
        const float *corners = lane < count ? triangles[lane].corner : kNoCorners;
        rows[0][lane] = corners;      // p0x p0y p0z p1x
        rows[1][lane] = corners + 4;  // p1y p1z p2x p2y
        rows[2][lane] = corners + 5;  // p1z p2x p2y p2z
    }
    F r0[4], r1[4], r2[4];
    L::columns(rows[0], r0);
    L::columns(rows[1], r1);
    L::columns(rows[2], r2);
    const V p0 = {r0[0], r0[1], r0[2]};
    const V p1 = {r0[3], r1[0], r1[1]};
    const V p2 = {r1[2], r1[3], r2[3]};
    const V origin = L::ray(ray.origin4);
    const V direction = L::ray(ray.direction4);
    const V unit = L::ray(ray.unit4);

    // Front face: m = (P2 - P0) x (P1 - P0) and m.direction < 0.
    const V e1 = p1 - p0;
    const V e2 = p2 - p0;
    const V m = crossLanes(e2, e1);
    const F den = dotLanes(m, direction);
    // Plane parameter. The plane normal n = (P1 - P0) x (P2 - P0) is m with
    // every nonzero component negated exactly (IEEE rounding is symmetric and
    // the products commute), so (O - P0).n and n.direction are the negations
    // of the sums below whenever those are nonzero; the quotient is then
    // bit-identical. When (O - P0).m is zero, either sign of zero gives a t
    // that is not below 0, as with n; the front-face test makes den nonzero.
    const F num = dotLanes(origin - p0, m);
    const F t = num / den;
    const F zero = F::broadcast(0.0f);
    typename L::M candidate = (den < zero) & (t < zero);
    if (!laneBits(candidate))
        return false;

    // Hit point along the normalised direction, then its squared distance.
    const V h = {origin.x - unit.x * t, origin.y - unit.y * t, origin.z - unit.z * t};
    const V offset = origin - h;
    const F d2 = dotLanes(offset, offset);
    candidate = candidate & (d2 <= F::broadcast(best.squaredDistance));
    if (!laneBits(candidate))
        return false;

    // altitudeWeights, step for step.
    V u01 = safeNormalizeLanes<L>(p1 - p0);
    u01 = safeNormalizeLanes<L>(u01);
    const V u20 = safeNormalizeLanes<L>(p0 - p2);
    const V u12 = safeNormalizeLanes<L>(p2 - p1);
    const V a0 = altitudeLanes(p0, p1, u12);
    const V a1 = altitudeLanes(p1, p2, u20);
    const V a2 = altitudeLanes(p2, p0, u01);
    const F w0 = altitudeWeightLanes<L>(h, p0, p1, a0);
    const F w1 = altitudeWeightLanes<L>(h, p1, p2, a1);
    const F w2 = altitudeWeightLanes<L>(h, p2, p0, a2);
    candidate = candidate & unitInterval<L>(w0) & unitInterval<L>(w1) & unitInterval<L>(w2);
    int lanes = laneBits(candidate);
    if (!lanes)
        return false;

    float out[7][kCount];
    h.x.store(out[0]);
    h.y.store(out[1]);
    h.z.store(out[2]);
    w0.store(out[3]);
    w1.store(out[4]);
    w2.store(out[5]);
    d2.store(out[6]);
    bool changed = false;
    for (int lane = 0; lanes; ++lane, lanes >>= 1)
    {
        if (!(lanes & 1) || !best.beatenBy(out[6][lane], triangles[lane].position))
            continue;
        best.squaredDistance = out[6][lane];
        best.position = triangles[lane].position;
        best.hit.point = UT_Vector3(out[0][lane], out[1][lane], out[2][lane]);
        best.hit.weights = UT_Vector3(out[3][lane], out[4][lane], out[5][lane]);
        best.hit.squaredDistance = out[6][lane];
        changed = true;
    }
    return changed;
}

}  // namespace
