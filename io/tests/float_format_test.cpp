#include "io/json/float_format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace
{
std::string fast(float v)
{
    char buffer[kMaxNumberChars];
    return std::string(buffer, formatFloat9(v, buffer));
}

std::string reference(float v)
{
    char buffer[kMaxNumberChars];
    return std::string(buffer, formatFloat9Reference(v, buffer));
}

float fromBits(uint32_t bits)
{
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

TEST(FloatFormat, WritesLikePrintfWithNineDigits)
{
    struct Case
    {
        float value;
        const char *text;
    } cases[] = {
        {0.9f, "0.899999976"},
        {1.0f, "1"},
        {-2.5f, "-2.5"},
        {0.0001f, "9.99999975e-05"},
        {0.001f, "0.00100000005"},
        {123456792.0f, "123456792"},
        {1e9f, "1e+09"},
        {1e10f, "1e+10"},
        {3.40282347e38f, "3.40282347e+38"},
        {1.17549435e-38f, "1.17549435e-38"},
        {1.4e-45f, "1.40129846e-45"},
        {16777.21875f, "16777.2188"},  // a tie at the tenth digit rounds to even
        {0.0f, "0"},
        {-0.0f, "-0"},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(fast(c.value), c.text);
        EXPECT_EQ(reference(c.value), c.text);
    }
}

TEST(FloatFormat, AgreesWithTheGeneralFormatterAndReadsBackExactly)
{
    // Every exponent, a million random patterns, and the neighbours of powers
    // of ten where the digit count changes.
    std::mt19937 random(12345);
    auto check = [](float v) {
        const std::string text = fast(v);
        ASSERT_EQ(text, reference(v)) << std::hexfloat << v;
        float back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(std::memcmp(&back, &v, sizeof v), 0) << text;
    };
    for (uint32_t exponent = 0; exponent < 255; ++exponent)
        for (uint32_t mantissa : {0u, 1u, 0x400000u, 0x7fffffu})
            check(fromBits(exponent << 23 | mantissa));
    for (int i = 0; i < 1000000; ++i)
    {
        const float v = fromBits(random());
        if (std::isfinite(v))
            check(v);
    }
    for (float p = 1e-37f; p < 1e38f; p *= 10.0f)
        for (float v : {std::nextafter(p, 0.0f), p, std::nextafter(p, std::numeric_limits<float>::infinity())})
            check(v);
}

TEST(FloatFormat, DoublesAndIntegers)
{
    char buffer[kMaxNumberChars];
    EXPECT_EQ(std::string(buffer, formatDouble17(0.1, buffer)), "0.10000000000000001");
    EXPECT_EQ(std::string(buffer, formatDouble17(1e300, buffer)), "1.0000000000000001e+300");
    EXPECT_EQ(std::string(buffer, formatInteger(std::numeric_limits<int64_t>::min(), buffer)), "-9223372036854775808");
}
}  // namespace
