/*
 * The algorithm and constants below are the single-precision arc cosine
 * from Sun's freely distributable math library (fdlibm), as carried by
 * glibc; its notice:
 *
 * ====================================================
 * Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
 *
 * Developed at SunPro, a Sun Microsystems, Inc. business.
 * Permission to use, copy, modify, and distribute this
 * software is freely granted, provided that this notice
 * is preserved.
 * ====================================================
 */
#include "math/acos_float.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
constexpr float kPi = 3.1415925026e+00f;        // 0x40490fda
constexpr float kHalfPiHi = 1.5707962513e+00f;  // 0x3fc90fda
constexpr float kHalfPiLo = 7.5497894159e-08f;  // 0x33a22168
constexpr float pS0 = 1.6666667163e-01f, pS1 = -3.2556581497e-01f, pS2 = 2.0121252537e-01f, pS3 = -4.0055535734e-02f,
                pS4 = 7.9153501429e-04f, pS5 = 3.4793309169e-05f;
constexpr float qS1 = -2.4033949375e+00f, qS2 = 2.0209457874e+00f, qS3 = -6.8828397989e-01f, qS4 = 7.7038154006e-02f;

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float fromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// asin(sqrt(z))/sqrt(z) - 1 as p(z)/q(z), nested in this order.
float ratio(float z)
{
    const float p = z * (pS0 + z * (pS1 + z * (pS2 + z * (pS3 + z * (pS4 + z * pS5)))));
    const float q = 1.0f + z * (qS1 + z * (qS2 + z * (qS3 + z * qS4)));
    return p / q;
}
}  // namespace

float acosFloat(float x)
{
    const uint32_t bits = bitsOf(x);
    const uint32_t magnitude = bits & 0x7fffffffu;
    const bool negative = (bits >> 31) != 0;
    if (magnitude == 0x3f800000u)  // |x| == 1
        return negative ? kPi + 2.0f * kHalfPiLo : 0.0f;
    if (magnitude > 0x3f800000u)  // |x| > 1 or NaN
        return (x - x) / (x - x);
    if (magnitude < 0x3f000000u)  // |x| < 0.5
    {
        if (magnitude <= 0x32800000u)  // |x| <= 2^-26
            return kHalfPiHi + kHalfPiLo;
        const float r = ratio(x * x);
        return kHalfPiHi - (x - (kHalfPiLo - x * r));
    }
    if (negative)  // x <= -0.5: pi - 2 asin(sqrt((1 + x) / 2))
    {
        const float z = (1.0f + x) * 0.5f;
        const float s = std::sqrt(z);
        const float w = ratio(z) * s - kHalfPiLo;
        return kPi - 2.0f * (s + w);
    }
    // x >= 0.5: 2 asin(sqrt((1 - x) / 2)), with sqrt split into a head of 12
    // bits and a correction so that the head's square is exact.
    const float z = (1.0f - x) * 0.5f;
    const float s = std::sqrt(z);
    const float head = fromBits(bitsOf(s) & 0xfffff000u);
    const float c = (z - head * head) / (s + head);
    const float w = ratio(z) * s + c;
    return 2.0f * (head + w);
}
