#include <GA/GA_HalfRounding.h>

#include <cstring>

uint16_t GAhalfBitsFromDouble(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint16_t sign = uint16_t((bits >> 48) & 0x8000u);
    const int field = int((bits >> 52) & 0x7ffu);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    if (field == 0x7ff)
        return uint16_t(sign | (fraction ? 0x7e00u : 0x7c00u));  // NaN (quiet) or infinity
    // Doubles below 2^-1022 are far below half the smallest half (2^-25).
    if (field == 0)
        return sign;
    const int exponent = field - 1023;  // value = m * 2^(exponent - 52), m has 53 bits
    const uint64_t m = fraction | (uint64_t(1) << 52);
    if (exponent >= 16)
        return uint16_t(sign | 0x7c00u);
    // Normal halves keep 11 significant bits (exponent -14 .. 15); below
    // that the step is fixed at 2^-24 and fewer bits remain.
    const int shift = exponent >= -14 ? 42 : 28 - exponent;
    if (shift >= 54)
        return sign;  // below 2^-25: rounds to zero
    uint64_t q = m >> shift;
    const uint64_t remainder = m & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    if (remainder > half || (remainder == half && (q & 1u)))
        ++q;
    if (exponent < -14)
        return uint16_t(sign | q);  // q == 1024 is the smallest normal half, bits included
    int biased = exponent + 15;
    if (q == 2048)
    {
        q = 1024;
        ++biased;
    }
    if (biased >= 31)
        return uint16_t(sign | 0x7c00u);
    return uint16_t(sign | (uint32_t(biased) << 10) | (q & 0x3ffu));
}

fpreal16 GAhalfFromDouble(double value)
{
    fpreal16 h;
    h.setBits(GAhalfBitsFromDouble(value));
    return h;
}
