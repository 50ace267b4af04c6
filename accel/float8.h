// Eight single-precision lanes in one AVX register, for the exact test of a
// whole leaf at once.
//
// Each operation is the same IEEE single-precision operation per lane as its
// four-lane counterpart in float4.h, so a lane computes the same bits in
// either width. Every function here carries the AVX2 target itself (the
// baseline stays the default for everything else) and may be called only
// from code compiled for AVX2 that runs after the processor was checked.
// Nothing here enables fused multiply-adds.
#pragma once

#include "accel/float4.h"

#if defined(VELKOR_ACCEL_AVX2)

#include <immintrin.h>

#define VELKOR_AVX2 __attribute__((target("avx2")))

struct Mask8
{
    __m256 v;
};

struct Float8
{
    __m256 v;

    VELKOR_AVX2 static Float8 broadcast(float x) { return {_mm256_set1_ps(x)}; }
    VELKOR_AVX2 void store(float *p) const { _mm256_storeu_ps(p, v); }
};

VELKOR_AVX2 inline Float8 operator+(Float8 a, Float8 b) { return {_mm256_add_ps(a.v, b.v)}; }
VELKOR_AVX2 inline Float8 operator-(Float8 a, Float8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
VELKOR_AVX2 inline Float8 operator*(Float8 a, Float8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
VELKOR_AVX2 inline Float8 operator/(Float8 a, Float8 b) { return {_mm256_div_ps(a.v, b.v)}; }
VELKOR_AVX2 inline Float8 sqrt8(Float8 a) { return {_mm256_sqrt_ps(a.v)}; }

// Ordered comparisons, false on NaN like their SSE counterparts.
VELKOR_AVX2 inline Mask8 operator<(Float8 a, Float8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ)}; }
VELKOR_AVX2 inline Mask8 operator<=(Float8 a, Float8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ)}; }
VELKOR_AVX2 inline Mask8 operator==(Float8 a, Float8 b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ)}; }
VELKOR_AVX2 inline Mask8 operator&(Mask8 a, Mask8 b) { return {_mm256_and_ps(a.v, b.v)}; }
VELKOR_AVX2 inline Mask8 operator|(Mask8 a, Mask8 b) { return {_mm256_or_ps(a.v, b.v)}; }

VELKOR_AVX2 inline int laneBits(Mask8 m) { return _mm256_movemask_ps(m.v); }
VELKOR_AVX2 inline Float8 select(Mask8 m, Float8 a, Float8 b) { return {_mm256_blendv_ps(b.v, a.v, m.v)}; }

// Four rows of four floats for lanes 0-3 (lo) and 4-7 (hi) become four
// columns of eight: column i holds float i of each lane's row.
VELKOR_AVX2 inline void transposeRows(const float *const lo[4], const float *const hi[4], Float8 columns[4])
{
    __m256 r[4];
    for (int k = 0; k < 4; ++k)
        r[k] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(lo[k])), _mm_loadu_ps(hi[k]), 1);
    const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]);
    const __m256 t1 = _mm256_unpacklo_ps(r[2], r[3]);
    const __m256 t2 = _mm256_unpackhi_ps(r[0], r[1]);
    const __m256 t3 = _mm256_unpackhi_ps(r[2], r[3]);
    columns[0].v = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
    columns[1].v = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    columns[2].v = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    columns[3].v = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}

struct Vec8x3
{
    Float8 x, y, z;
};

VELKOR_AVX2 inline Vec8x3 operator-(const Vec8x3 &a, const Vec8x3 &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

#endif
