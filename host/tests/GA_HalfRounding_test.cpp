#include <GA/GA_HalfRounding.h>

#include <GA/GA_Convert.h>
#include <GA/GA_DataArray.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{
double halfValue(uint16_t bits)
{
    fpreal16 h;
    h.setBits(bits);
    return double(float(h));
}

TEST(HalfRounding, RoundsOnceToNearestEven)
{
    // 1 + 2^-11 is the midpoint between the halves 1 and 1 + 2^-10.
    const double midpoint = 1.00048828125;
    struct Case
    {
        double value;
        uint16_t bits;
    } cases[] = {
        {1.00048828125091, 0x3c01},     // just above the midpoint: through float it would give 1
        {midpoint + 0x1p-40, 0x3c01},   // above, by less than a float can show
        {midpoint - 0x1p-40, 0x3c00},   // below
        {midpoint, 0x3c00},             // a tie goes to the even neighbour, 1
        {1.0 + 3 * 0x1p-11, 0x3c02},    // a tie between 1+2^-10 and 1+2^-9: even is upward
        {-midpoint - 0x1p-40, 0xbc01},  // the sign plays no part
        {0.0, 0x0000},
        {-0.0, 0x8000},
        {0x1p-24, 0x0001},            // the smallest subnormal
        {0x1p-25, 0x0000},            // half of it: a tie, to even zero
        {0x1p-25 + 0x1p-60, 0x0001},  // just above that tie
        {-0x1p-25 - 0x1p-60, 0x8001},
        {3 * 0x1p-25, 0x0002},        // tie between subnormals 1 and 2: even is 2
        {5 * 0x1p-25, 0x0002},        // tie between 2 and 3: even is 2
        {0x1p-14 - 0x1p-25, 0x0400},  // tie between the largest subnormal and the smallest normal
        {0x1p-14 - 0x1p-25 - 0x1p-50, 0x03ff},
        {1e-300, 0x0000},
        {65504.0, 0x7bff},  // the largest half
        {65519.99, 0x7bff},
        {65520.0, 0x7c00},  // the tie above it rounds to infinity
        {1e300, 0x7c00},
        {-1e300, 0xfc00},
        {std::numeric_limits<double>::infinity(), 0x7c00},
        {-std::numeric_limits<double>::infinity(), 0xfc00},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GAhalfBitsFromDouble(c.value), c.bits) << std::hexfloat << c.value;
    EXPECT_TRUE(std::isnan(halfValue(GAhalfBitsFromDouble(std::numeric_limits<double>::quiet_NaN()))));
}

TEST(HalfRounding, EveryHalfAndEveryMidpointAgreeWithTheDefinition)
{
    // Each finite half converts to itself; the midpoint to its upper
    // neighbour goes to the one with an even last bit, and any double on
    // either side of it to that side.
    for (uint32_t b = 0; b < 0x7c00; ++b)
    {
        const double low = halfValue(uint16_t(b));
        ASSERT_EQ(GAhalfBitsFromDouble(low), b);
        ASSERT_EQ(GAhalfBitsFromDouble(-low), b | 0x8000u);
        const double high = b + 1 < 0x7c00 ? halfValue(uint16_t(b + 1)) : 65536.0;
        const double mid = (low + high) / 2;  // exact: both have few bits
        const uint32_t even = (b & 1u) ? b + 1 : b;
        ASSERT_EQ(GAhalfBitsFromDouble(mid), even) << b;
        ASSERT_EQ(GAhalfBitsFromDouble(std::nextafter(mid, 0.0)), b) << b;
        ASSERT_EQ(GAhalfBitsFromDouble(std::nextafter(mid, 1e9)), b + 1) << b;
    }
}

TEST(HalfRounding, RandomDoublesMatchFloatRoundingWhereThatIsSingle)
{
    // Where the double is already a float, going through float rounds only
    // once, so the half type's own conversion is a reference.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> exponent(-26.0f, 16.5f);
    for (int i = 0; i < 100000; ++i)
    {
        const float f = std::exp2(exponent(random)) * (random() % 2 ? 1.0f : -1.0f);
        const fpreal16 reference(f);
        ASSERT_EQ(GAhalfBitsFromDouble(double(f)), reference.bits()) << std::hexfloat << f;
    }
}
}  // namespace

// Every path from a double into 16-bit storage rounds once: a default and a
// value set as a double just above the tie between 1 and 1 + 2^-10 must land
// on the upper half, where a detour through float lands on 1.
TEST(HalfRounding, DoublesStoredInHalfAttributesRoundOnce)
{
    const double aboveTie = 1.00048828125091;
    GA_DataArray array(GA_STORE_REAL16, 1, {aboveTie});
    array.setSize(2);
    array.setDouble(1, 0, -aboveTie);
    EXPECT_EQ(array.getDouble(0, 0), 1.0009765625);
    EXPECT_EQ(array.getDouble(1, 0), -1.0009765625);
    EXPECT_EQ(GAconvertValue<fpreal16>(aboveTie).bits(), 0x3c01);
}
