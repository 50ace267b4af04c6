#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{
// Reads one attribute "a" of the given storage and size with one point.
const GA_ATINumeric *readOne(GU_Detail &gdp, const std::string &storage, int size, const std::string &encoding,
                             int64_t points = 1)
{
    const GeometryReadResult result =
        readGeoText(geoDocument(points, numericEntry("a", "", size, storage, encoding)), "v.geo", gdp);
    EXPECT_TRUE(result.ok) << result.message;
    return numericAttribute(gdp, "a");
}

struct StorageCase
{
    const char *storage;
    GA_Storage code;
    GA_StorageLayout layout;
    const char *values;
    double expected[3];
};

void PrintTo(const StorageCase &c, std::ostream *out) { *out << c.storage; }

class GeoStorages : public ::testing::TestWithParam<StorageCase>
{};

TEST_P(GeoStorages, EachStorageKeepsItsTypeLayoutAndRange)
{
    const StorageCase &c = GetParam();
    GU_Detail gdp;
    const GA_ATINumeric *a = readOne(gdp, c.storage, 3, std::string("\"tuples\",[[") + c.values + "]]");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->getStorage(), c.code);
    EXPECT_EQ(a->getLayout(), c.layout);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(a->getDouble(0, i), c.expected[i]) << i;
}

const GA_StorageLayout I = GA_LAYOUT_INTERLEAVED, C = GA_LAYOUT_COMPONENTS;

INSTANTIATE_TEST_SUITE_P(
    All, GeoStorages,
    ::testing::Values(
        StorageCase{"uint8", GA_STORE_UINT8, C, "0,128,255", {0, 128, 255}},
        StorageCase{"int8", GA_STORE_INT8, C, "-128,0,127", {-128, 0, 127}},
        StorageCase{"int16", GA_STORE_INT16, C, "-32768,2.0,32767", {-32768, 2, 32767}},
        StorageCase{"int32", GA_STORE_INT32, C, "-2147483648,1e3,2147483647", {-2147483648.0, 1000, 2147483647}},
        StorageCase{"int64", GA_STORE_INT64, C, "-5,0,5", {-5, 0, 5}},
        StorageCase{"fpreal16", GA_STORE_REAL16, C, "0.5,-65504,0.1", {0.5, -65504, 0.0999755859375}},
        StorageCase{"fpreal32", GA_STORE_REAL32, I, "0.1,-1e-40,3e38", {double(0.1f), double(-1e-40f), double(3e38f)}},
        StorageCase{"fpreal64",
                    GA_STORE_REAL64,
                    I,
                    "0.1,-1e-300,1.7976931348623157e308",
                    {0.1, -1e-300, 1.7976931348623157e308}}),
    [](const ::testing::TestParamInfo<StorageCase> &info) { return std::string(info.param.storage); });

TEST(GeoValues, Int64KeepsEveryBit)
{
    GU_Detail gdp;
    const GA_ATINumeric *a = readOne(gdp, "int64", 1, R"("arrays",[[-9223372036854775808,9223372036854775807]])", 2);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(*a->getData().array(0).tupleAt<int64_t>(0), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(*a->getData().array(0).tupleAt<int64_t>(1), std::numeric_limits<int64_t>::max());
}

TEST(GeoValues, TuplesAndArraysDecodeAlike)
{
    GU_Detail tuples, arrays;
    readOne(tuples, "fpreal32", 2, R"("tuples",[[1,2],[3,4],[5,6]])", 3);
    readOne(arrays, "fpreal32", 2, R"("arrays",[[1,3,5],[2,4,6]])", 3);
    for (int64_t p = 0; p < 3; ++p)
        for (int c = 0; c < 2; ++c)
        {
            EXPECT_EQ(component(tuples, "a", p, c), double(1 + 2 * p + c));
            EXPECT_EQ(component(arrays, "a", p, c), double(1 + 2 * p + c));
        }
}

TEST(GeoValues, NonFiniteTokensReadBackForRealStorages)
{
    GU_Detail gdp;
    const GA_ATINumeric *a = readOne(gdp, "fpreal32", 3, R"("tuples",[["nan","inf","-inf"]])");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(std::isnan(a->getDouble(0, 0)));
    EXPECT_EQ(a->getDouble(0, 1), std::numeric_limits<double>::infinity());
    EXPECT_EQ(a->getDouble(0, 2), -std::numeric_limits<double>::infinity());
}

TEST(GeoValues, NegativeZeroWrittenWithAFractionKeepsItsSign)
{
    GU_Detail gdp;
    const GA_ATINumeric *a = readOne(gdp, "fpreal32", 1, R"("arrays",[[-0.0]])");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(std::signbit(*a->getData().array(0).tupleAt<float>(0)));
}

TEST(GeoValues, RangeLimitsOfEveryStorageAreEnforced)
{
    struct Case
    {
        const char *storage;
        const char *value;
    } refused[] = {{"uint8", "256"},        {"uint8", "-1"},
                   {"int8", "128"},         {"int16", "-32769"},
                   {"int32", "2147483648"}, {"int64", "9223372036854775808"},
                   {"int64", "1e19"},       {"fpreal16", "65520"},
                   {"fpreal32", "-3.5e38"}, {"fpreal64", "\"infinity\""},
                   {"int32", "true"},       {"fpreal32", "null"}};
    for (const Case &c : refused)
    {
        GU_Detail gdp;
        const GeometryReadResult result = readGeoText(
            geoDocument(1, numericEntry("a", "", 1, c.storage, std::string("\"arrays\",[[") + c.value + "]]")), "r.geo",
            gdp);
        EXPECT_FALSE(result.ok) << c.storage << " " << c.value;
        EXPECT_NE(result.message.find("arrays[0][0]"), std::string::npos) << result.message;
    }
}

TEST(GeoValues, DefaultsAreReadAndCutToTheTupleSize)
{
    GU_Detail gdp;
    const std::string entry = R"([["type","numeric","name","a"],["size",2,"storage","fpreal32",)"
                              R"("defaults",["size",3,"storage","fpreal64","values",[0.25,"-inf",9]],)"
                              R"("values",["size",2,"storage","fpreal32","tuples",[[1,2]]]]])";
    ASSERT_TRUE(readGeoText(geoDocument(1, entry), "d.geo", gdp).ok);
    const std::vector<double> defaults = numericAttribute(gdp, "a")->getDefaults();
    ASSERT_EQ(defaults.size(), 2u);
    EXPECT_EQ(defaults[0], 0.25);
    EXPECT_EQ(defaults[1], -std::numeric_limits<double>::infinity());
}

TEST(GeoValues, HomogeneousPositionReportsDroppedWeights)
{
    GU_Detail gdp;
    const GeometryReadResult result =
        readGeoText(geoDocument(2, numericEntry("P", R"("type":{"type":"string","value":"hpoint"})", 4, "fpreal64",
                                                R"("tuples",[[1,2,3,1],[4,5,6,0.5]])")),
                    "h.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    const GA_ATINumeric *position = numericAttribute(gdp, "P");
    EXPECT_EQ(position->getTupleSize(), 3);
    EXPECT_EQ(position->getTypeInfo(), GA_TYPE_POINT);
    EXPECT_EQ(position->getStorage(), GA_STORE_REAL64);
    EXPECT_EQ(component(gdp, "P", 1, 2), 6.0);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("1 points had w other than 1"), std::string::npos);
}
}  // namespace
