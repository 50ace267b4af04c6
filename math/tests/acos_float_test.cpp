#include "math/acos_float.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace
{

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string hex(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%a", double(value));
    return text;
}

// glibc's acosf at the ends of each branch and inside them. -0.75 is one of
// the inputs where MinGW's own acosf answers 0x1.359d26p+1 instead.
TEST(AcosFloat, MatchesGlibcOnEveryBranch)
{
    const struct
    {
        float x;
        float expected;
    } cases[] = {
        {-1.0f, 0x1.921fb6p+1f},
        {-0x1.fffffep-1f, 0x1.921464p+1f},
        {-0.75f, 0x1.359d28p+1f},
        {-0.5f, 0x1.0c1524p+1f},
        {-0x1.fffffep-2f, 0x1.0c1524p+1f},
        {-0x1.333334p-2f, 0x1.e0200cp+0f},
        {-0x1p-26f, 0x1.921fb6p+0f},
        {0.0f, 0x1.921fb6p+0f},
        {0x1.000002p-26f, 0x1.921fb6p+0f},
        {0x1.99999ap-4f, 0x1.787b22p+0f},
        {0x1.fffffep-2f, 0x1.0c1524p+0f},
        {0.5f, 0x1.0c1524p+0f},
        {0x1.666666p-1f, 0x1.973e84p-1f},
        {0x1.fffffep-1f, 0x1.6a09e6p-12f},
        {1.0f, 0.0f},
        {-0x1.2e442cp-1f, 0x1.19e528p+1f},
        {0x1.ff7ceep-1f, 0x1.6e62b4p-5f},
    };
    for (const auto &c : cases)
        EXPECT_EQ(bitsOf(acosFloat(c.x)), bitsOf(c.expected))
            << "acos(" << hex(c.x) << ") = " << hex(acosFloat(c.x)) << ", expected " << hex(c.expected);
}

TEST(AcosFloat, OutsideTheDomainIsNan)
{
    for (float x : {1.0000001f, -1.0000001f, 2.0f, -INFINITY, INFINITY, NAN})
        EXPECT_TRUE(std::isnan(acosFloat(x))) << x;
}

#if defined(__GLIBC__)
// Where the C library is glibc, its acosf is the reference: a sweep through
// [-1, 1] with a stride that visits every exponent and mantissa pattern.
TEST(AcosFloat, AgreesWithTheCLibrarySweep)
{
    int differences = 0;
    for (uint32_t bits = 0; bits <= 0x3f800000u; bits += 997)
    {
        for (uint32_t sign : {0u, 0x80000000u})
        {
            float x;
            const uint32_t pattern = bits | sign;
            std::memcpy(&x, &pattern, sizeof x);
            if (bitsOf(acosFloat(x)) != bitsOf(std::acos(x)) && ++differences <= 5)
                ADD_FAILURE() << "acos(" << hex(x) << "): " << hex(acosFloat(x)) << " vs " << hex(std::acos(x));
        }
    }
    EXPECT_EQ(differences, 0);
}
#endif

}  // namespace
