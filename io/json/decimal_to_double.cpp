#include "io/json/decimal_to_double.h"

#include "io/json/powers_of_five.h"

#include <cstring>

namespace
{
__extension__ typedef unsigned __int128 Uint128;

struct Product
{
    uint64_t high;
    uint64_t low;
};

Product multiply(uint64_t a, uint64_t b)
{
    const Uint128 p = Uint128(a) * b;
    return {uint64_t(p >> 64), uint64_t(p)};
}

// Bits of the product's high word below the double's 53, its rounding bit
// and the one bit the product's top may or may not use.
constexpr int kBelowRounding = 64 - 53 - 1 - 1;
// When these low bits of the high word are all ones, the rest of the product
// could still carry into the rounding bit.
constexpr uint64_t kCarryMask = ~uint64_t(0) >> (53 + 2);

// floor(log2(10^q)) + 63, for |q| within the table: log2(10) is 217706 / 65536
// to enough places there.
int64_t binaryExponent(int64_t q) { return ((217706 * q) >> 16) + 63; }
}  // namespace

bool decimalToDouble(uint64_t w, int64_t q, double &out)
{
    if (w == 0 || q < kSmallestPowerOfFive || q > kLargestPowerOfFive)
        return false;
    const int leadingZeros = __builtin_clzll(w);
    w <<= leadingZeros;
    const uint64_t *power = &kPowersOfFive[2 * (q - kSmallestPowerOfFive)];
    Product product = multiply(w, power[0]);
    if ((product.high & kCarryMask) == kCarryMask)
    {
        // The low word of the power decides whether the top bits carry.
        const Product rest = multiply(w, power[1]);
        product.low += rest.high;
        if (rest.high > product.low)
            ++product.high;
    }
    // Powers outside [5^-27, 5^55] are not exact in the table: a product this
    // close below a carry cannot be settled from 128 bits of the power.
    if (product.low == ~uint64_t(0) && (q < -27 || q > 55))
        return false;

    const int upperBit = int(product.high >> 63);
    uint64_t significand = product.high >> (upperBit + kBelowRounding);
    int64_t exponent = binaryExponent(q) + upperBit - leadingZeros + 1023;
    if (exponent <= 0)
        return false;  // subnormal or zero
    // An exact halfway value (possible only for small |q|, where the product
    // is exact) rounds to even rather than up.
    if (product.low <= 1 && q >= -4 && q <= 23 && (significand & 3) == 1 &&
        (significand << (upperBit + kBelowRounding)) == product.high)
        significand &= ~uint64_t(1);
    significand += significand & 1;
    significand >>= 1;
    if (significand >= (uint64_t(2) << 52))
    {
        significand = uint64_t(1) << 52;
        ++exponent;
    }
    if (exponent >= 0x7FF)
        return false;  // infinite
    const uint64_t bits = (significand & ~(uint64_t(1) << 52)) | uint64_t(exponent) << 52;
    std::memcpy(&out, &bits, sizeof out);
    return true;
}

bool truncatedDecimalToDouble(uint64_t w, int64_t q, double &out)
{
    double low = 0.0;
    double high = 0.0;
    if (!decimalToDouble(w, q, low) || !decimalToDouble(w + 1, q, high) || low != high)
        return false;
    out = low;
    return true;
}
