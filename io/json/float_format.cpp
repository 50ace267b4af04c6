#include "io/json/float_format.h"

#include <charconv>
#include <cstring>

char *formatFloat9Reference(float value, char *out)
{
    return std::to_chars(out, out + kMaxNumberChars, value, std::chars_format::general, 9).ptr;
}

char *formatDouble17(double value, char *out)
{
    return std::to_chars(out, out + kMaxNumberChars, value, std::chars_format::general, 17).ptr;
}

char *formatInteger(int64_t value, char *out)
{
    return std::to_chars(out, out + kMaxNumberChars, value).ptr;
}

#if defined(__SIZEOF_INT128__)

namespace
{
typedef unsigned __int128 u128;

constexpr uint32_t kTenPow8 = 100000000u;
constexpr uint32_t kTenPow9 = 1000000000u;

// Powers of 5 up to 5^44 and of 10 up to 10^30: all this range needs.
struct PowerTables
{
    u128 five[45];
    u128 ten[31];
    PowerTables()
    {
        five[0] = ten[0] = 1;
        for (int i = 1; i < 45; ++i)
            five[i] = five[i - 1] * 5;
        for (int i = 1; i < 31; ++i)
            ten[i] = ten[i - 1] * 10;
    }
};
const PowerTables kPowers;

// floor(value * 10^s) for value = m * 2^e, and where the remainder stands
// against one half: -1 below, 0 exactly half, +1 above. Exact: the caller
// keeps s within 44 (5^44 * 2^24 < 2^128) and the shifts below 128.
uint64_t scaleExact(uint32_t m, int e, int s, int &halfOrder)
{
    halfOrder = -1;
    if (s >= 0)
    {
        const int t = s + e; // value * 10^s = m * 5^s * 2^t
        if (s <= 17 && t < 0 && t > -64)
        {
            // The common case, |value| from about 1e-9 up: 64 bits suffice.
            const uint64_t n = uint64_t(m) * uint64_t(kPowers.five[s]);
            const int shift = -t;
            const uint64_t remainder = n & ((uint64_t(1) << shift) - 1);
            const uint64_t half = uint64_t(1) << (shift - 1);
            halfOrder = remainder < half ? -1 : (remainder == half ? 0 : 1);
            return n >> shift;
        }
        const u128 n = u128(m) * kPowers.five[s];
        if (t >= 0)
            return uint64_t(n << t);
        const int shift = -t;
        if (shift >= 128)
            return 0;
        const u128 remainder = n & ((u128(1) << shift) - 1);
        const u128 half = u128(1) << (shift - 1);
        halfOrder = remainder < half ? -1 : (remainder == half ? 0 : 1);
        return uint64_t(n >> shift);
    }
    const u128 n = u128(m) << e; // e > 0 here: the value is at least 10^9
    const u128 divisor = kPowers.ten[-s];
    const u128 remainder = n % divisor;
    halfOrder = 2 * remainder < divisor ? -1 : (2 * remainder == divisor ? 0 : 1);
    return uint64_t(n / divisor);
}

char *writeExponent(int k, char *out)
{
    *out++ = 'e';
    *out++ = k < 0 ? '-' : '+';
    const int magnitude = k < 0 ? -k : k;
    if (magnitude >= 10)
        *out++ = char('0' + magnitude / 10);
    else
        *out++ = '0';
    *out++ = char('0' + magnitude % 10);
    return out;
}
} // namespace

char *formatFloat9(float value, char *out)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t field = (bits >> 23) & 0xffu;
    uint32_t m = bits & 0x7fffffu;
    // Zero, subnormals and values below 1e-36 (where 5^s outgrows 128 bits)
    // take the general path.
    if (field < 8 || field == 0xffu)
        return formatFloat9Reference(value, out);
    m |= 0x800000u;
    const int e = int(field) - 150; // value = m * 2^e, m has 24 bits

    // k = floor(log10(value)) is floor((e + 23) * log10(2)) or one more;
    // 78913 / 2^18 approximates log10(2) closely enough over this range.
    int k = ((e + 23) * 78913) >> 18;
    int halfOrder = 0;
    uint64_t q = scaleExact(m, e, 8 - k, halfOrder);
    if (q >= kTenPow9)
    {
        ++k;
        q = scaleExact(m, e, 8 - k, halfOrder);
    }
    else if (q < kTenPow8)
    {
        --k;
        if (8 - k > 44)
            return formatFloat9Reference(value, out); // beyond the power tables
        q = scaleExact(m, e, 8 - k, halfOrder);
    }
    // Round half to even, as printf does on the exact binary value.
    if (halfOrder > 0 || (halfOrder == 0 && (q & 1u)))
        ++q;
    if (q == kTenPow9)
    {
        q = kTenPow8;
        ++k;
    }

    // Nine digits in two independent halves, two digits per table lookup.
    static const char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                 "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                 "8081828384858687888990919293949596979899";
    const uint32_t high = uint32_t(q) / 10000u, low = uint32_t(q) % 10000u;
    char digits[9];
    digits[0] = char('0' + high / 10000u);
    std::memcpy(digits + 1, kPairs + 2 * (high % 10000u / 100u), 2);
    std::memcpy(digits + 3, kPairs + 2 * (high % 100u), 2);
    std::memcpy(digits + 5, kPairs + 2 * (low / 100u), 2);
    std::memcpy(digits + 7, kPairs + 2 * (low % 100u), 2);
    int count = 9;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    if (bits >> 31)
        *out++ = '-';
    if (k < -4 || k >= 9)
    {
        *out++ = digits[0];
        if (count > 1)
        {
            *out++ = '.';
            for (int i = 1; i < count; ++i)
                *out++ = digits[i];
        }
        return writeExponent(k, out);
    }
    if (k >= 0)
    {
        for (int i = 0; i <= k; ++i)
            *out++ = digits[i];
        if (count > k + 1)
        {
            *out++ = '.';
            for (int i = k + 1; i < count; ++i)
                *out++ = digits[i];
        }
        return out;
    }
    *out++ = '0';
    *out++ = '.';
    for (int i = 0; i < -k - 1; ++i)
        *out++ = '0';
    for (int i = 0; i < count; ++i)
        *out++ = digits[i];
    return out;
}

#else

char *formatFloat9(float value, char *out)
{
    return formatFloat9Reference(value, out);
}

#endif
