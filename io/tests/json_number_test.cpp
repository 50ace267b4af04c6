#include "io/json/json_number.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace
{
// Reads a token the way the reader sees it: followed by zero padding.
bool readToken(const std::string &token, JsonNumber &number)
{
    std::string padded = token;
    padded.append(64, '\0');
    const char *end = readJsonNumber(padded.data(), number);
    return end == padded.data() + token.size();
}

uint64_t bitsOf(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

TEST(JsonNumber, TokensAreClassifiedAndKeepTheirSign)
{
    struct Case
    {
        const char *token;
        JsonNumber::Kind kind;
        double real;
    } cases[] = {
        {"0", JsonNumber::Int64, 0.0},
        {"-0", JsonNumber::Int64, -0.0},
        {"-0.0", JsonNumber::Real, -0.0},
        {"-0e0", JsonNumber::Real, -0.0},
        {"-0E+00", JsonNumber::Real, -0.0},
        {"-0.000e-5", JsonNumber::Real, -0.0},
        {"-1", JsonNumber::Int64, -1.0},
        {"9223372036854775807", JsonNumber::Int64, 9223372036854775807.0},
        {"9223372036854775808", JsonNumber::Uint64, 9223372036854775808.0},
        {"18446744073709551615", JsonNumber::Uint64, 18446744073709551615.0},
        {"-9223372036854775808", JsonNumber::Int64, -9223372036854775808.0},
        {"0.649999976", JsonNumber::Real, 0.649999976},
        {"-1.03303516", JsonNumber::Real, -1.03303516},
        {"2.4000001", JsonNumber::Real, 2.4000001},
        {"1e22", JsonNumber::Real, 1e22},
        {"1e23", JsonNumber::Real, 1e23},
        {"1.7976931348623157e308", JsonNumber::Real, 1.7976931348623157e308},
        {"4.9406564584124654e-324", JsonNumber::Real, 4.9406564584124654e-324},
        {"1e-400", JsonNumber::Real, 0.0},
        {"-1e-400", JsonNumber::Real, -0.0},
        {"0.000000000000000000000000000001", JsonNumber::Real, 1e-30},
        {"12345678901234567890.5", JsonNumber::Real, 12345678901234567890.5},
        {"1.00048828125091", JsonNumber::Real, 1.00048828125091},
    };
    for (const Case &c : cases)
    {
        JsonNumber number;
        ASSERT_TRUE(readToken(c.token, number)) << c.token;
        EXPECT_EQ(number.kind, c.kind) << c.token;
        EXPECT_EQ(bitsOf(number.real), bitsOf(c.real)) << c.token;
    }
    JsonNumber big;
    ASSERT_TRUE(readToken("18446744073709551615", big));
    EXPECT_EQ(big.unsignedValue, UINT64_MAX);
    JsonNumber lowest;
    ASSERT_TRUE(readToken("-9223372036854775808", lowest));
    EXPECT_EQ(lowest.integer, INT64_MIN);
}

TEST(JsonNumber, MalformedAndOutOfRangeTokensAreRefused)
{
    for (const char *token : {"-", "01", "-01", "1.", ".5", "1e", "1e+", "+1", "1x", "0x10", "1.5.2", "--1", "1e400",
                              "-1e400", "18446744073709551616", "-9223372036854775809", "1,"})
    {
        JsonNumber number;
        EXPECT_FALSE(readToken(token, number)) << token;
    }
}

// The fast path and the general one must agree on every token that writers
// produce; compared with from_chars on random floats printed as "%.9g" and
// "%.17g", and on random digit strings with exponents.
TEST(JsonNumber, EveryValueIsCorrectlyRounded)
{
    std::mt19937_64 random(12345);
    char buffer[64];
    for (int i = 0; i < 200000; ++i)
    {
        std::string token;
        switch (i % 3)
        {
        case 0:
        {
            uint32_t b = uint32_t(random());
            float f;
            std::memcpy(&f, &b, sizeof f);
            if (!std::isfinite(f))
                continue;
            std::snprintf(buffer, sizeof buffer, "%.9g", double(f));
            token = buffer;
            break;
        }
        case 1:
        {
            const double d = std::ldexp(double(random() >> 11), int(random() % 120) - 110);
            std::snprintf(buffer, sizeof buffer, "%.17g", random() % 2 ? d : -d);
            token = buffer;
            break;
        }
        default:
        {
            token = std::to_string(random() % 100000000000000000u);
            token.insert(1 + random() % (token.size()), ".");
            if (token.back() == '.')
                token += '5';
            token += "e" + std::to_string(int(random() % 60) - 30);
            break;
        }
        }
        JsonNumber number;
        ASSERT_TRUE(readToken(token, number)) << token;
        double expected = 0.0;
        std::from_chars(token.data(), token.data() + token.size(), expected);
        ASSERT_EQ(bitsOf(number.real), bitsOf(expected)) << token;
    }
}
}  // namespace
