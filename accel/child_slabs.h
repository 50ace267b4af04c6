// The slab tests of a node's eight children against a ray's segment, in two
// widths: two groups of four SSE lanes (the x86-64 baseline, and plain
// arrays elsewhere), or one group of eight AVX lanes.
//
// The walk decides which children to visit from these tests alone, so both
// widths must reach the same decisions: each lane performs the same IEEE
// single-precision multiply, subtract, max and min in the same order, with
// the same NaN rule, in either width. Nothing fuses a multiply with an add.
//
// The wide test is compiled for AVX2 by a function attribute, not for the
// whole file, so no inline function that baseline code also calls is ever
// emitted with AVX instructions; the walk calls it only after the processor
// has been checked (bvh_walk.h). Where it is built, float4.h says.
#pragma once

#include "accel/bvh_node.h"
#include "accel/float4.h"
#include "accel/traversal_ray.h"

#if defined(VELKOR_ACCEL_AVX2)
#include <immintrin.h>
#endif

// Which children's boxes, grown by the ray's margin, the segment [0, reach]
// passes through: bit i of the result for child i. entries[i] receives where
// the segment enters child i's box, and bit i of `inside` is set when that
// is at 0, the segment's start.
struct NarrowChildSlabs
{
    Float4 inverse[3];
    Float4 nearShift[3];
    Float4 farShift[3];
    Float4 reach;
    int nearRow[3];

    // Takes the ray's terms; called again whenever its reach changes.
    void set(const TraversalRay &ray)
    {
        for (int c = 0; c < 3; ++c)
        {
            inverse[c] = Float4::broadcast(ray.inverse[c]);
            nearShift[c] = Float4::broadcast(ray.nearShift[c]);
            farShift[c] = Float4::broadcast(ray.farShift[c]);
            nearRow[c] = ray.nearRow[c];
        }
        reach = Float4::broadcast(ray.reach);
    }

    int test(const BvhNode &node, float entries[kNodeWidth], int &inside) const
    {
        const Float4 zero = Float4::broadcast(0.0f);
        int lanes = 0;
        inside = 0;
        for (int group = 0; group < kNodeWidth; group += 4)
        {
            Float4 near = zero;
            Float4 far = reach;
            for (int c = 0; c < 3; ++c)
            {
                const int row = nearRow[c];
                const Float4 nearPlane = Float4::load(node.bounds[row] + group);
                const Float4 farPlane = Float4::load(node.bounds[row ^ 1] + group);
                near = max4(near, nearPlane * inverse[c] - nearShift[c]);
                far = min4(far, farPlane * inverse[c] - farShift[c]);
            }
            near.store(entries + group);
            lanes |= laneBits(near <= far) << group;
            inside |= laneBits(near <= zero) << group;
        }
        return lanes;
    }
};

#if defined(VELKOR_ACCEL_AVX2)

struct WideChildSlabs
{
    __m256 inverse[3];
    __m256 nearShift[3];
    __m256 farShift[3];
    __m256 reach;
    int nearRow[3];

    __attribute__((target("avx2"))) void set(const TraversalRay &ray)
    {
        for (int c = 0; c < 3; ++c)
        {
            inverse[c] = _mm256_set1_ps(ray.inverse[c]);
            nearShift[c] = _mm256_set1_ps(ray.nearShift[c]);
            farShift[c] = _mm256_set1_ps(ray.farShift[c]);
            nearRow[c] = ray.nearRow[c];
        }
        reach = _mm256_set1_ps(ray.reach);
    }

    // The same operations as NarrowChildSlabs::test, operands in the same
    // order (max and min return their second operand on NaN, as the SSE
    // instructions do).
    __attribute__((target("avx2"))) int test(const BvhNode &node, float entries[kNodeWidth], int &inside) const
    {
        static_assert(kNodeWidth == 8, "one AVX register per row");
        const __m256 zero = _mm256_setzero_ps();
        __m256 near = zero;
        __m256 far = reach;
        for (int c = 0; c < 3; ++c)
        {
            const int row = nearRow[c];
            const __m256 nearPlane = _mm256_loadu_ps(node.bounds[row]);
            const __m256 farPlane = _mm256_loadu_ps(node.bounds[row ^ 1]);
            near = _mm256_max_ps(near, _mm256_sub_ps(_mm256_mul_ps(nearPlane, inverse[c]), nearShift[c]));
            far = _mm256_min_ps(far, _mm256_sub_ps(_mm256_mul_ps(farPlane, inverse[c]), farShift[c]));
        }
        _mm256_storeu_ps(entries, near);
        inside = _mm256_movemask_ps(_mm256_cmp_ps(near, zero, _CMP_LE_OQ));
        return _mm256_movemask_ps(_mm256_cmp_ps(near, far, _CMP_LE_OQ));
    }
};

#endif
