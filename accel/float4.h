// Four single-precision lanes: SSE2 on x86-64 (its baseline, no wider ISA is
// assumed), plain arrays elsewhere.
//
// The accelerated search must reproduce the scalar acceptance test bit for
// bit. Every operation here is one IEEE single-precision operation per lane
// (add, subtract, multiply, divide and square root are correctly rounded in
// SSE exactly as in scalar code), so a lane computes the same bits as scalar
// code that performs the same operations in the same order. No operation
// fuses a multiply with an add, and nothing touches the rounding mode.
#pragma once

#include <cmath>
#include <cstdint>

// VELKOR_ACCEL_SCALAR selects the plain version on any machine (to test it).
#if !defined(VELKOR_ACCEL_SCALAR) && (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define VELKOR_ACCEL_SSE2 1
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

// Where eight-lane AVX2 code is compiled beside the baseline (float8.h).
// MinGW-w64's GCC does not align the stack for the 32-byte values such code
// may spill; its build assembles every aligned vector move as an unaligned
// one (accel/CMakeLists.txt), which is why the code may be used there too.
#if defined(VELKOR_ACCEL_SSE2) && (defined(__GNUC__) || defined(__clang__))
#define VELKOR_ACCEL_AVX2 1
#endif

#if defined(VELKOR_ACCEL_SSE2)

// Lane-wise comparison result: all bits set in a true lane.
struct Mask4
{
    __m128 v;
};

struct Float4
{
    __m128 v;

    static Float4 broadcast(float x) { return {_mm_set1_ps(x)}; }
    static Float4 load(const float *p) { return {_mm_loadu_ps(p)}; }
    void store(float *p) const { _mm_storeu_ps(p, v); }
};

inline Float4 operator+(Float4 a, Float4 b) { return {_mm_add_ps(a.v, b.v)}; }
inline Float4 operator-(Float4 a, Float4 b) { return {_mm_sub_ps(a.v, b.v)}; }
inline Float4 operator*(Float4 a, Float4 b) { return {_mm_mul_ps(a.v, b.v)}; }
inline Float4 operator/(Float4 a, Float4 b) { return {_mm_div_ps(a.v, b.v)}; }
inline Float4 sqrt4(Float4 a) { return {_mm_sqrt_ps(a.v)}; }
// min4 and max4 return b when either lane is NaN; callers order operands so
// that this is harmless (their inputs are never NaN).
inline Float4 min4(Float4 a, Float4 b) { return {_mm_min_ps(a.v, b.v)}; }
inline Float4 max4(Float4 a, Float4 b) { return {_mm_max_ps(a.v, b.v)}; }

inline Mask4 operator<(Float4 a, Float4 b) { return {_mm_cmplt_ps(a.v, b.v)}; }
inline Mask4 operator<=(Float4 a, Float4 b) { return {_mm_cmple_ps(a.v, b.v)}; }
inline Mask4 operator==(Float4 a, Float4 b) { return {_mm_cmpeq_ps(a.v, b.v)}; }
inline Mask4 operator&(Mask4 a, Mask4 b) { return {_mm_and_ps(a.v, b.v)}; }
inline Mask4 operator|(Mask4 a, Mask4 b) { return {_mm_or_ps(a.v, b.v)}; }

// Bit i set when lane i is true.
inline int laneBits(Mask4 m) { return _mm_movemask_ps(m.v); }

// Lane-wise m ? a : b.
inline Float4 select(Mask4 m, Float4 a, Float4 b) { return {_mm_or_ps(_mm_and_ps(m.v, a.v), _mm_andnot_ps(m.v, b.v))}; }

// Rows a, b, c, d become columns.
inline void transpose4(Float4 &a, Float4 &b, Float4 &c, Float4 &d) { _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v); }

inline void prefetch(const void *p) { _mm_prefetch(static_cast<const char *>(p), _MM_HINT_T0); }

#else

struct Mask4
{
    bool lane[4];
};

struct Float4
{
    float lane[4];

    static Float4 broadcast(float x) { return {{x, x, x, x}}; }
    static Float4 load(const float *p) { return {{p[0], p[1], p[2], p[3]}}; }
    void store(float *p) const
    {
        for (int i = 0; i < 4; ++i)
            p[i] = lane[i];
    }
};

#define VELKOR_FLOAT4_BINARY(op)                                                                                       \
    inline Float4 operator op(Float4 a, Float4 b)                                                                      \
    {                                                                                                                  \
        return {{a.lane[0] op b.lane[0], a.lane[1] op b.lane[1], a.lane[2] op b.lane[2], a.lane[3] op b.lane[3]}};     \
    }
VELKOR_FLOAT4_BINARY(+)
VELKOR_FLOAT4_BINARY(-)
VELKOR_FLOAT4_BINARY(*)
VELKOR_FLOAT4_BINARY(/)
#undef VELKOR_FLOAT4_BINARY

#define VELKOR_FLOAT4_COMPARE(op)                                                                                      \
    inline Mask4 operator op(Float4 a, Float4 b)                                                                       \
    {                                                                                                                  \
        return {{a.lane[0] op b.lane[0], a.lane[1] op b.lane[1], a.lane[2] op b.lane[2], a.lane[3] op b.lane[3]}};     \
    }
VELKOR_FLOAT4_COMPARE(<)
VELKOR_FLOAT4_COMPARE(<=)
VELKOR_FLOAT4_COMPARE(==)
#undef VELKOR_FLOAT4_COMPARE

inline Float4 sqrt4(Float4 a)
{
    return {{std::sqrt(a.lane[0]), std::sqrt(a.lane[1]), std::sqrt(a.lane[2]), std::sqrt(a.lane[3])}};
}
// Same NaN convention as the SSE instructions: b unless a < b (a > b).
inline Float4 min4(Float4 a, Float4 b)
{
    Float4 r;
    for (int i = 0; i < 4; ++i)
        r.lane[i] = a.lane[i] < b.lane[i] ? a.lane[i] : b.lane[i];
    return r;
}
inline Float4 max4(Float4 a, Float4 b)
{
    Float4 r;
    for (int i = 0; i < 4; ++i)
        r.lane[i] = a.lane[i] > b.lane[i] ? a.lane[i] : b.lane[i];
    return r;
}

inline Mask4 operator&(Mask4 a, Mask4 b)
{
    return {{a.lane[0] && b.lane[0], a.lane[1] && b.lane[1], a.lane[2] && b.lane[2], a.lane[3] && b.lane[3]}};
}
inline Mask4 operator|(Mask4 a, Mask4 b)
{
    return {{a.lane[0] || b.lane[0], a.lane[1] || b.lane[1], a.lane[2] || b.lane[2], a.lane[3] || b.lane[3]}};
}

inline int laneBits(Mask4 m)
{
    return int(m.lane[0]) | int(m.lane[1]) << 1 | int(m.lane[2]) << 2 | int(m.lane[3]) << 3;
}

inline Float4 select(Mask4 m, Float4 a, Float4 b)
{
    Float4 r;
    for (int i = 0; i < 4; ++i)
        r.lane[i] = m.lane[i] ? a.lane[i] : b.lane[i];
    return r;
}

inline void transpose4(Float4 &a, Float4 &b, Float4 &c, Float4 &d)
{
    Float4 *rows[4] = {&a, &b, &c, &d};
    Float4 t[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            rows[i]->lane[j] = t[j].lane[i];
}

inline void prefetch(const void *) {}

#endif

// Index of the lowest set bit of a nonzero lane mask.
inline int lowestLane(int bits)
{
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctz(unsigned(bits));
#else
    int i = 0;
    while (!(bits & 1))
    {
        bits >>= 1;
        ++i;
    }
    return i;
#endif
}

// Three lanes-of-four: one coordinate per member, four vectors at once.
struct Vec4x3
{
    Float4 x, y, z;
};

inline Vec4x3 operator-(const Vec4x3 &a, const Vec4x3 &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// (a.x*b.x + a.y*b.y) + a.z*b.z, the dot product's fixed summation order.
inline Float4 dot4(const Vec4x3 &a, const Vec4x3 &b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

// a x b, each component one product minus the other.
inline Vec4x3 cross4(const Vec4x3 &a, const Vec4x3 &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
