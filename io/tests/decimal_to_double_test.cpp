#include "io/json/decimal_to_double.h"
#include "io/json/json_number.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

namespace
{
uint64_t bitsOf(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// The exact conversion of "<w>e<q>" (from_chars, as the reader falls back
// to), zero below and infinity above the double range.
double exactValue(uint64_t w, int64_t q)
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%llue%lld", (unsigned long long)w, (long long)q);
    double value = 0.0;
    if (std::from_chars(text, text + n, value).ec == std::errc::result_out_of_range)
        return q < 0 ? 0.0 : HUGE_VAL;
    return value;
}

// The decimal position of a token's first significant digit, plus its
// exponent: which side of the double range a token out of it lies on.
int64_t magnitude(const std::string &token)
{
    size_t i = token[0] == '-' ? 1 : 0;
    int64_t m = 0;
    if (token[i] == '0')
    {
        for (i += 2; i < token.size() && token[i] == '0'; ++i)
            --m;
    }
    else
        for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
            ++m;
    const size_t e = token.find_first_of("eE");
    return e == std::string::npos ? m : m + std::stoll(token.substr(e + 1));
}

uint64_t power(uint64_t base, int n)
{
    uint64_t p = 1;
    while (n-- > 0)
        p *= base;
    return p;
}

// A significand of 1 to 19 random digits.
uint64_t randomDigits(std::mt19937_64 &random, int digits)
{
    const uint64_t low = power(10, digits - 1);
    return low + random() % (power(10, digits) - low);
}

// Significands and exponents of every shape, each checked against the exact
// conversion whenever the fast one answers; the fast one must answer nearly
// always where the result is a normal double.
TEST(DecimalToDouble, AgreesWithTheExactConversion)
{
    std::mt19937_64 random(20261208);
    int64_t answered = 0;
    int64_t normal = 0;
    const auto check = [&](uint64_t w, int64_t q) {
        const double expected = exactValue(w, q);
        const bool isNormal = std::isnormal(expected);
        normal += isNormal;
        double value = 0.0;
        if (!decimalToDouble(w, q, value))
            return;
        ++answered;
        ASSERT_TRUE(isNormal) << w << "e" << q;
        ASSERT_EQ(bitsOf(value), bitsOf(expected)) << w << "e" << q;
    };
    for (int i = 0; i < 1500000 && !HasFatalFailure(); ++i)
    {
        const int digits = 1 + int(random() % 19);
        const uint64_t w = randomDigits(random, digits);
        switch (i % 5)
        {
        case 0:  // anywhere in the table
            check(w, int64_t(random() % 661) - 350);
            break;
        case 1:  // near the subnormal edge and the overflow edge
            check(w, int64_t(random() % 30) - 330 - digits);
            check(w, int64_t(random() % 20) + 300 - digits);
            break;
        case 2:  // what writers produce: 9 or 17 digits near 1
            check(randomDigits(random, i % 4 ? 9 : 17), int64_t(random() % 40) - 30);
            break;
        case 3:
        {
            // Exactly halfway between two doubles, t * 2^k with t odd and of 54
            // bits, written exactly as t * 5^j * 10^-j or t * 2^k; then one
            // unit either side of it.
            const uint64_t t = ((uint64_t(1) << 53) | (random() >> 11)) | 1;
            const int j = int(random() % 5);
            const uint64_t halfway = j > 0 ? t * power(5, j) : t << (random() % 10);
            for (const uint64_t v : {halfway, halfway - 1, halfway + 1})
                check(v, -j);
            break;
        }
        default:
        {
            // Halfway values with a positive exponent: 5^q * t of 54 bits.
            const int q = int(random() % 24);
            const uint64_t five = power(5, q);
            const uint64_t lowest = ((uint64_t(1) << 53) + five - 1) / five;
            const uint64_t t = (lowest + random() % (lowest + 1)) | 1;
            if (t * five >= (uint64_t(1) << 54))
                break;
            for (const uint64_t v : {t, t - 1, t + 1})
                check(v, q);
            check(t * 10, q - 1);
            break;
        }
        }
    }
    EXPECT_GT(double(answered), 0.999 * double(normal));
}

// Whole tokens through the reader against from_chars: 1 to 25 digits with a
// point anywhere, exponents across the whole range, signs, and the classic
// hard cases padded with digits beyond the 19 the reader keeps. Tokens beyond
// the largest double, and integer tokens beyond 64 bits, are refused; those
// below the smallest double become zero.
TEST(DecimalToDouble, ReaderAgreesWithTheExactConversionOnEveryShape)
{
    std::mt19937_64 random(7);
    const char *hard[] = {"9007199254740993",
                          "9007199254740992.5",
                          "9007199254740993.00000000000000001",
                          "2.4703282292062327e-324",
                          "2.4703282292062328e-324",
                          "1.7976931348623158e308",
                          "1.7976931348623157999e308",
                          "4.9406564584124654e-324",
                          "2.2250738585072011e-308",
                          "2.2250738585072012e-308",
                          "16777217",
                          "16777216.5000000000000000001",
                          "3.4028235677973366e38",
                          "1.4012984643248170e-45",
                          "0.1e-9999",
                          "100000000000000000000e-20"};
    for (int i = 0; i < 1000000 + int(sizeof hard / sizeof *hard); ++i)
    {
        std::string token;
        if (i < int(sizeof hard / sizeof *hard))
            token = hard[i];
        else
        {
            if (random() % 2)
                token = "-";
            const int digits = 1 + int(random() % 25);
            std::string body;
            body += char('1' + random() % 9);
            for (int d = 1; d < digits; ++d)
                body += char('0' + (random() % 4 ? random() % 10 : (i % 2 ? 0 : 9)));
            const int point = int(random() % (digits + 1));
            if (point == 0)
                token += "0." + std::string(random() % 3, '0') + body;
            else if (point < digits)
                token += body.substr(0, size_t(point)) + "." + body.substr(size_t(point));
            else
                token += body;
            if (random() % 4)
                token += (random() % 2 ? "e" : "E") + std::to_string(int(random() % 680) - 345 - point);
        }
        std::string padded = token;
        padded.append(64, '\0');
        JsonNumber number;
        const char *end = readJsonNumber(padded.data(), number);
        // The exact path: from_chars, and out of its range a signed zero below
        // the smallest double or a refusal above the largest.
        double expected = 0.0;
        const std::from_chars_result r = std::from_chars(token.data(), token.data() + token.size(), expected);
        // Integer tokens beyond 64 bits are refused as integers.
        const bool integer = token.find_first_of(".eE") == std::string::npos;
        int64_t signedValue = 0;
        uint64_t unsignedValue = 0;
        const char *last = token.data() + token.size();
        const bool signedFits = std::from_chars(token.data(), last, signedValue).ec == std::errc();
        const bool integerFits = signedFits || std::from_chars(token.data(), last, unsignedValue).ec == std::errc();
        if (r.ec == std::errc::result_out_of_range || (integer && !integerFits))
        {
            if (integer || magnitude(token) > 0)
            {
                EXPECT_EQ(end, nullptr) << token;
                continue;
            }
            expected = token[0] == '-' ? -0.0 : 0.0;
        }
        ASSERT_EQ(end, padded.data() + token.size()) << token;
        ASSERT_EQ(bitsOf(number.real), bitsOf(expected)) << token;
        if (integer && signedFits)
        {
            ASSERT_EQ(number.kind, JsonNumber::Int64) << token;
            ASSERT_EQ(number.integer, signedValue) << token;
        }
        // fpreal32 storage narrows the double; it must be the same narrowing.
        ASSERT_EQ(float(number.real), float(expected)) << token;
    }
}
}  // namespace
