#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

// Numbers stored into real attributes: each token's own value, rounded once
// to the storage.

namespace
{
struct Encoding
{
    const char *label;
    const char *body;  // four elements of one component; @ stands for the token
};

const Encoding kEncodings[] = {
    {"tuples", R"("tuples",[[@],[@],[@],[@]])"},
    {"bare_tuples", R"("tuples",[@,@,@,@])"},
    {"arrays", R"("arrays",[[@,@,@,@]])"},
    {"pages", R"("pagesize",2,"rawpagedata",[@,@,@,@])"},
    {"constant_pages", R"("pagesize",2,"constantpageflags",[[true,true]],"rawpagedata",[@,@])"},
};

std::string substitute(std::string text, const std::string &token)
{
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + token.size()))
        text.replace(at, 1, token);
    return text;
}

// Reads attribute "a" (one component, four points) with the given default.
const GA_ATINumeric *readFour(GU_Detail &gdp, const std::string &storage, const std::string &body,
                              const std::string &defaultValue = "0")
{
    const std::string entry = R"([["type","numeric","name","a"],["size",1,"storage",")" + storage +
                              R"(","defaults",["size",1,"storage","fpreal64","values",[)" + defaultValue +
                              R"(]],"values",["size",1,"storage",")" + storage + "\"," + body + "]]]";
    const GeometryReadResult result = readGeoText(geoDocument(4, entry), "z.geo", gdp);
    EXPECT_TRUE(result.ok) << result.message;
    return numericAttribute(gdp, "a");
}

TEST(GeoRealValues, NegativeZeroKeepsItsSignInEveryFormAndStorage)
{
    for (const char *storage : {"fpreal16", "fpreal32", "fpreal64"})
        for (const Encoding &encoding : kEncodings)
            for (const char *token : {"-0", "-0.0", "-0e0", "-0E+00"})
            {
                SCOPED_TRACE(std::string(storage) + " " + encoding.label + " " + token);
                GU_Detail gdp;
                const GA_ATINumeric *a = readFour(gdp, storage, substitute(encoding.body, token), token);
                ASSERT_NE(a, nullptr);
                for (int64_t p = 0; p < 4; ++p)
                {
                    EXPECT_EQ(a->getDouble(p, 0), 0.0);
                    EXPECT_TRUE(std::signbit(a->getDouble(p, 0))) << p;
                }
                ASSERT_EQ(a->getDefaults().size(), 1u);
                EXPECT_TRUE(std::signbit(a->getDefaults()[0]));
            }
}

TEST(GeoRealValues, PositiveZeroAndIntegerStoragesAreUnchanged)
{
    GU_Detail gdp;
    const GA_ATINumeric *real = readFour(gdp, "fpreal32", R"("arrays",[[0,0.0,0e0,-1]])");
    ASSERT_NE(real, nullptr);
    for (int64_t p = 0; p < 3; ++p)
        EXPECT_FALSE(std::signbit(real->getDouble(p, 0))) << p;
    EXPECT_EQ(real->getDouble(3, 0), -1.0);
    // An integer has no negative zero: "-0" and "-0.0" are 0.
    const GA_ATINumeric *integer = readFour(gdp, "int32", R"("arrays",[[-0,-0.0,0,-2]])");
    ASSERT_NE(integer, nullptr);
    EXPECT_EQ(integer->getDouble(0, 0), 0.0);
    EXPECT_EQ(integer->getDouble(1, 0), 0.0);
    EXPECT_EQ(integer->getDouble(3, 0), -2.0);
}

TEST(GeoRealValues, HalfValuesAndDefaultsAreRoundedOnce)
{
    // 1 + 2^-11 is the midpoint between the halves 1 and 1 + 2^-10; a float
    // cannot hold the small excess over it, so rounding through float ties
    // and goes to 1.
    struct Case
    {
        const char *token;
        double expected;
    } cases[] = {
        {"1.00048828125091", 1.0009765625}, {"1.00048828124909", 1.0},          {"1.00048828125", 1.0},
        {"1.00146484375", 1.001953125},     {"2.98023223876953125e-8", 0.0},    {"2.98023224e-8", 0x1p-24},
        {"-65519.999", -65504.0},           {"6.1035156250000001e-5", 0x1p-14},
    };
    for (const Case &c : cases)
        for (const Encoding &encoding : kEncodings)
        {
            SCOPED_TRACE(std::string(c.token) + " " + encoding.label);
            GU_Detail gdp;
            const GA_ATINumeric *a = readFour(gdp, "fpreal16", substitute(encoding.body, c.token), c.token);
            ASSERT_NE(a, nullptr);
            for (int64_t p = 0; p < 4; ++p)
                EXPECT_EQ(a->getDouble(p, 0), c.expected) << p;
            ASSERT_EQ(a->getDefaults().size(), 1u);
            EXPECT_EQ(a->getDefaults()[0], c.expected);
        }
}

TEST(GeoRealValues, HalfDefaultsFillNewPointsWithTheRoundedValue)
{
    GU_Detail gdp;
    const GA_ATINumeric *a = readFour(gdp, "fpreal16", R"("arrays",[[0,0,0,0]])", "1.00048828125091");
    ASSERT_NE(a, nullptr);
    const GA_Offset added = gdp.appendPointBlock(1);
    EXPECT_EQ(a->getDouble(added, 0), 1.0009765625);
}
}  // namespace
