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

// Where the part of value * 10^s below the integer stands: nothing at all,
// below one half, exactly one half, above it.
enum Remainder
{
    kZero,
    kBelowHalf,
    kHalf,
    kAboveHalf
};

Remainder classify(u128 remainder, u128 half)
{
    if (remainder == 0)
        return kZero;
    return remainder < half ? kBelowHalf : (remainder == half ? kHalf : kAboveHalf);
}

// floor(value * 10^s) for value = m * 2^e, and where the remainder stands.
// Exact: the caller keeps s within 44 (5^44 * 2^24 < 2^128) and the shifts
// below 128.
uint64_t scaleExact(uint32_t m, int e, int s, Remainder &remainder)
{
    remainder = kZero;
    if (s >= 0)
    {
        const int t = s + e; // value * 10^s = m * 5^s * 2^t
        if (s <= 17 && t < 0 && t > -64)
        {
            // The common case, |value| from about 1e-9 up: 64 bits suffice.
            const uint64_t n = uint64_t(m) * uint64_t(kPowers.five[s]);
            const int shift = -t;
            const uint64_t rest = n & ((uint64_t(1) << shift) - 1);
            const uint64_t half = uint64_t(1) << (shift - 1);
            remainder = rest == 0 ? kZero : (rest < half ? kBelowHalf : (rest == half ? kHalf : kAboveHalf));
            return n >> shift;
        }
        const u128 n = u128(m) * kPowers.five[s];
        if (t >= 0)
            return uint64_t(n << t);
        const int shift = -t;
        if (shift >= 128)
        {
            remainder = kBelowHalf; // not reached for floats: s stays within the tables
            return 0;
        }
        remainder = classify(n & ((u128(1) << shift) - 1), u128(1) << (shift - 1));
        return uint64_t(n >> shift);
    }
    const u128 n = u128(m) << e; // e > 0 here: the value is at least 10^9
    const u128 divisor = kPowers.ten[-s];
    const u128 rest = n % divisor;
    remainder = rest == 0 ? kZero : (2 * rest < divisor ? kBelowHalf : (2 * rest == divisor ? kHalf : kAboveHalf));
    return uint64_t(n / divisor);
}

// q / 10 and where that quotient's remainder stands, from q and the
// remainder below q: one scaling serves both candidate exponents.
uint64_t divideByTen(uint64_t q, Remainder &remainder)
{
    const uint64_t digit = q % 10;
    if (digit == 0)
        remainder = remainder == kZero ? kZero : kBelowHalf;
    else if (digit < 5)
        remainder = kBelowHalf;
    else if (digit == 5)
        remainder = remainder == kZero ? kHalf : kAboveHalf;
    else
        remainder = kAboveHalf;
    return q / 10;
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

const char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                      "8081828384858687888990919293949596979899";

// The nine digits of q (10^8 <= q < 10^9), two per table lookup, followed by
// zeros up to 16 bytes so that fixed-size copies may read past the ninth.
void nineDigits(uint32_t q, char *digits)
{
    const uint32_t high = q / 10000u, low = q % 10000u;
    std::memset(digits + 8, '0', 8);
    digits[0] = char('0' + high / 10000u);
    std::memcpy(digits + 1, kPairs + 2 * (high % 10000u / 100u), 2);
    std::memcpy(digits + 3, kPairs + 2 * (high % 100u), 2);
    std::memcpy(digits + 5, kPairs + 2 * (low / 100u), 2);
    std::memcpy(digits + 7, kPairs + 2 * (low % 100u), 2);
}

// Significant digits of q once its trailing zeros are dropped (at least 1).
int significantDigits(uint32_t q)
{
    int count = 9;
    while (count > 1 && q % 10u == 0)
    {
        q /= 10u;
        --count;
    }
    return count;
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
    // Scaled for the smaller k, the value has nine or ten digits; ten means
    // the larger k, and one exact division by ten gives its nine.
    int k = ((e + 23) * 78913) >> 18;
    Remainder remainder = kZero;
    uint64_t q = scaleExact(m, e, 8 - k, remainder);
    if (q >= kTenPow9)
    {
        ++k;
        q = divideByTen(q, remainder);
    }
    else if (q < kTenPow8)
    {
        --k;
        if (8 - k > 44)
            return formatFloat9Reference(value, out); // beyond the power tables
        q = scaleExact(m, e, 8 - k, remainder);
    }
    // Round half to even, as printf does on the exact binary value.
    if (remainder == kAboveHalf || (remainder == kHalf && (q & 1u)))
        ++q;
    if (q == kTenPow9)
    {
        q = kTenPow8;
        ++k;
    }

    char digits[17];
    nineDigits(uint32_t(q), digits);
    const int count = significantDigits(uint32_t(q));

    // The callers leave kMaxNumberChars of room: the fixed-size copies below
    // may write past the text's end, never past 17 bytes.
    *out = '-';
    out += bits >> 31;
    if (k >= 0 && k < 9)
    {
        // dddd.ddddd: the integer digits, then the fraction moved one on.
        std::memcpy(out, digits, 9);
        if (count <= k + 1)
            return out + k + 1;
        out[k + 1] = '.';
        std::memcpy(out + k + 2, digits + k + 1, 8);
        return out + count + 1;
    }
    if (k < 0 && k >= -4)
    {
        // 0.000ddddddddd
        std::memcpy(out, "0.0000", 6);
        out += 1 - k;
        std::memcpy(out, digits, 9);
        return out + count;
    }
    out[0] = digits[0];
    out[1] = '.';
    std::memcpy(out + 2, digits + 1, 8);
    out += count > 1 ? count + 1 : 1;
    return writeExponent(k, out);
}

#else

char *formatFloat9(float value, char *out)
{
    return formatFloat9Reference(value, out);
}

#endif
