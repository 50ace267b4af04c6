#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
GeometryReadResult readPaged(GU_Detail &gdp, int64_t points, int size, const std::string &paged)
{
    return readGeoText(geoDocument(points, numericEntry("a", "", size, "int32", paged)), "paged.geo", gdp);
}

TEST(GeoPagedValues, DecodesConstantAndVaryingPagesPerPackingGroup)
{
    // Five elements in pages of two; group 0 is component 0, group 1 the
    // other two. Constant pages hold one group-tuple.
    GU_Detail gdp;
    const GeometryReadResult result =
        readPaged(gdp, 5, 3,
                  R"("pagesize",2,"packing",[1,2],"constantpageflags",[[true,false,true],[false,true,false]],)"
                  R"("rawpagedata",[10,20,30,21,31,12,13,22,32,14,24,34])");
    ASSERT_TRUE(result.ok) << result.message;
    const int expected[5][3] = {{10, 20, 30}, {10, 21, 31}, {12, 22, 32}, {13, 22, 32}, {14, 24, 34}};
    for (int p = 0; p < 5; ++p)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(component(gdp, "a", p, c), expected[p][c]) << p << "," << c;
}

TEST(GeoPagedValues, MissingPackingAndFlagsMeanWholeTuplesNotConstant)
{
    GU_Detail gdp;
    ASSERT_TRUE(readPaged(gdp, 3, 2, R"("pagesize",2,"rawpagedata",[1,2,3,4,5,6])").ok);
    EXPECT_EQ(component(gdp, "a", 2, 1), 6);
    // A flag list shorter than the pages leaves the rest varying.
    ASSERT_TRUE(readPaged(gdp, 3, 1, R"("pagesize",1,"constantpageflags",[[true]],"rawpagedata",[7,8,9])").ok);
    EXPECT_EQ(component(gdp, "a", 0, 0), 7);
    EXPECT_EQ(component(gdp, "a", 2, 0), 9);
}

TEST(GeoPagedValues, MalformedPagesAreRefusedWithTheirLocation)
{
    struct Case
    {
        const char *paged;
        const char *expected;
    } cases[] = {
        {R"("pagesize",2,"rawpagedata",[1,2,3])", "rawpagedata: the data ends at value 2 inside page 1"},
        {R"("pagesize",2,"rawpagedata",[1,2,3,4,5])", "rawpagedata: holds 5 values, but the pages use only 4"},
        {R"("pagesize",0,"rawpagedata",[])", "pagesize: expected a page size from 1"},
        {R"("pagesize",2,"packing",[2],"rawpagedata",[1,2,3,4])", "packing[0]: expected a component count from 1 to 1"},
        {R"("pagesize",2,"constantpageflags",[[1]],"rawpagedata",[1,2,3,4])",
         "constantpageflags[0][0]: expected true or false"},
        {R"("pagesize",2,"rawpagedata",[1,2,"x",4])", "rawpagedata[2]: expected an integer"},
    };
    for (const Case &c : cases)
    {
        GU_Detail gdp;
        const GeometryReadResult result = readPaged(gdp, 4, 1, c.paged);
        ASSERT_FALSE(result.ok) << c.paged;
        EXPECT_NE(result.message.find(std::string("attributes/pointattributes[0]/values/") + c.expected),
                  std::string::npos)
            << result.message;
    }
}

TEST(GeoPagedValues, ConstantPagesCannotInflateATinyFile)
{
    // One constant page of 1024-component tuples standing for 600000 points
    // would decode to 600 million values from a few kilobytes.
    std::string raw;
    for (int i = 0; i < 1024; ++i)
        raw += i ? ",1" : "1";
    GU_Detail gdp;
    const GeometryReadResult result =
        readPaged(gdp, 600000, 1024, R"("pagesize",600000,"constantpageflags",[[true]],"rawpagedata",[)" + raw + "]");
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.message.find("attributes/pointattributes[0]/values: the attribute describes more data"),
              std::string::npos)
        << result.message;
}
}  // namespace
