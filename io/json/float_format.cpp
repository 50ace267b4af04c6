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

char *formatInteger(int64_t value, char *out) { return std::to_chars(out, out + kMaxNumberChars, value).ptr; }

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

// floor(value * 10^s) for value = m * 2^e, and where the remainder stands,
// where 64 bits do not suffice. Exact: the caller keeps s within 44
// (5^44 * 2^24 < 2^128) and the shifts below 128.
uint64_t scaleWide(uint32_t m, int e, int s, Remainder &remainder)
{
    remainder = kZero;
    if (s >= 0)
    {
        const int t = s + e;
        const u128 n = u128(m) * kPowers.five[s];
        if (t >= 0)
            return uint64_t(n << t);
        const int shift = -t;
        if (shift >= 128)
        {
            remainder = kBelowHalf;  // not reached for floats: s stays within the tables
            return 0;
        }
        remainder = classify(n & ((u128(1) << shift) - 1), u128(1) << (shift - 1));
        return uint64_t(n >> shift);
    }
    const u128 n = u128(m) << e;  // e > 0 here: the value is at least 10^9
    const u128 divisor = kPowers.ten[-s];
    const u128 rest = n % divisor;
    remainder = rest == 0 ? kZero : (2 * rest < divisor ? kBelowHalf : (2 * rest == divisor ? kHalf : kAboveHalf));
    return uint64_t(n / divisor);
}

// The same, for every scale: the common case, |value| from about 1e-9 up,
// in 64 bits (m * 5^s * 2^t with s <= 17 and a shift to the right).
inline uint64_t scaleExact(uint32_t m, int e, int s, Remainder &remainder)
{
    const int t = s + e;
    if (s < 0 || s > 17 || t >= 0 || t <= -64)
        return scaleWide(m, e, s, remainder);
    const uint64_t n = uint64_t(m) * uint64_t(kPowers.five[s]);
    const int shift = -t;
    const uint64_t rest = n & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    remainder = rest == 0 ? kZero : (rest < half ? kBelowHalf : (rest == half ? kHalf : kAboveHalf));
    return n >> shift;
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

// The eight decimal digits of n < 10^8 as ASCII bytes, the first in the
// lowest byte: both halves of four digits, then their pairs, then single
// digits are split side by side in the lanes of one 64-bit word (the
// multiplications stand for exact divisions by 100 and 10 in their ranges).
// Working in a register avoids writing digits to memory and reading them
// back as a word, which stalls the processor.
uint64_t eightDigitBytes(uint32_t n)
{
    uint64_t x = (n / 10000u) | (uint64_t(n % 10000u) << 32);
    uint64_t high = ((x * 10486u) >> 20) & 0x0000007F0000007Fu;
    x = high | ((x - high * 100u) << 16);
    high = ((x * 103u) >> 10) & 0x000F000F000F000Fu;
    return high | ((x - high * 10u) << 8);
}

// Stores the eight bytes of word, lowest first.
void storeWord(char *out, uint64_t word)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(out, &word, 8);
#else
    for (int i = 0; i < 8; ++i)
        out[i] = char(word >> (8 * i));
#endif
}
}  // namespace

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
    const int e = int(field) - 150;  // value = m * 2^e, m has 24 bits

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
            return formatFloat9Reference(value, out);  // beyond the power tables
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

    // The first digit, then eight more in one word: a digit 0 is a zero
    // byte there, so the trailing zeros are the word's leading zero bytes.
    const char first = char('0' + uint32_t(q) / kTenPow8);
    const uint64_t rest = eightDigitBytes(uint32_t(q) % kTenPow8);
    const int count = rest == 0 ? 1 : 9 - __builtin_clzll(rest) / 8;
    const uint64_t text = rest | 0x3030303030303030u;

    // The callers leave kMaxNumberChars of room: the word stores below may
    // write past the text's end, never past 18 bytes.
    *out = '-';
    out += bits >> 31;
    if (k >= 0 && k < 9)
    {
        // dddd.ddddd: the integer digits, then the fraction moved one on.
        out[0] = first;
        storeWord(out + 1, text);
        if (count <= k + 1)
            return out + k + 1;
        out[k + 1] = '.';
        storeWord(out + k + 2, text >> (8 * k));  // k < 8 here: a fraction follows
        return out + count + 1;
    }
    if (k < 0 && k >= -4)
    {
        // 0.000ddddddddd
        std::memcpy(out, "0.0000", 6);
        out += 1 - k;
        out[0] = first;
        storeWord(out + 1, text);
        return out + count;
    }
    out[0] = first;
    out[1] = '.';
    storeWord(out + 2, text);
    out += count > 1 ? count + 1 : 1;
    return writeExponent(k, out);
}
#else

char *formatFloat9(float value, char *out) { return formatFloat9Reference(value, out); }

#endif
