#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
typedef std::vector<std::vector<int64_t>> Polygons;

// Six points; vertex v refers to point 5 - v, so that a mix-up of vertex and
// point numbers shows.
GeometryReadResult readPrimitives(GU_Detail &gdp, const std::string &primitives, int64_t primitiveCount,
                                  int64_t vertices = 6)
{
    std::string indices;
    for (int64_t v = 0; v < vertices; ++v)
        indices += (v ? "," : "") + std::to_string(5 - v % 6);
    return readGeoText(geoDocument(6, "", indices, vertices, primitives, primitiveCount), "prims.geo", gdp);
}

std::vector<bool> closedFlags(const GU_Detail &gdp)
{
    std::vector<bool> flags;
    for (GA_Size i = 0; i < gdp.getNumPrimitives(); ++i)
        flags.push_back(static_cast<const GEO_PrimPoly *>(gdp.primitives().rawEntry(i))->isClosed());
    return flags;
}

struct FormCase
{
    const char *label;
    const char *primitives;
    int64_t count;
    Polygons points;
    std::vector<bool> closed;
    int64_t skipped;
};

void PrintTo(const FormCase &c, std::ostream *out) { *out << c.label; }

class PolygonForms : public ::testing::TestWithParam<FormCase>
{};

TEST_P(PolygonForms, GivePolygonsOnTheTopologysPoints)
{
    const FormCase &c = GetParam();
    GU_Detail gdp;
    const GeometryReadResult result = readPrimitives(gdp, c.primitives, c.count);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(polygonPoints(gdp), c.points);
    EXPECT_EQ(closedFlags(gdp), c.closed);
    EXPECT_EQ(result.info.skippedPrimitives, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PolygonForms,
    ::testing::Values(
        FormCase{"single_poly",
                 R"([["type","Poly"],["vertex",[0,1,2],"closed",true]],)"
                 R"([["type","Poly"],["vertex",[3,4,5],"closed",false]])",
                 2,
                 {{5, 4, 3}, {2, 1, 0}},
                 {true, false},
                 0},
        FormCase{"run_poly",
                 R"([["type","run","runtype","Poly","varyingfields",["vertex"],)"
                 R"("uniformfields",{"closed":true}],[[[0,1,2,3]],[[4,5]]]])",
                 2,
                 {{5, 4, 3, 2}, {1, 0}},
                 {true, true},
                 0},
        FormCase{"run_open_poly",
                 R"([["type","run","runtype","Poly","varyingfields",["vertex"],)"
                 R"("uniformfields",{"closed":false}],[[[0,1,2]]]])",
                 1,
                 {{5, 4, 3}},
                 {false},
                 0},
        FormCase{"run_varying_closed",
                 R"([["type","run","runtype","Poly","varyingfields",["closed","vertex"]],)"
                 R"([[false,[0,1,2]],[true,[3,4,5]]]])",
                 2,
                 {{5, 4, 3}, {2, 1, 0}},
                 {false, true},
                 0},
        FormCase{"polygon_run_rle",
                 R"([["type","Polygon_run"],["startvertex",0,"nprimitives",2,"nvertices_rle",[3,2]]])",
                 2,
                 {{5, 4, 3}, {2, 1, 0}},
                 {true, true},
                 0},
        FormCase{"polygon_run_list",
                 R"([["type","Polygon_run"],["startvertex",1,"nprimitives",2,"nvertices",[2,3]]])",
                 2,
                 {{4, 3}, {2, 1, 0}},
                 {true, true},
                 0},
        FormCase{"abbreviated",
                 R"([["type","p_r"],["s_v",0,"n_p",1,"r_v",[4,1]]],[["type","c_r"],["s_v",4,"n_v",[2]]])",
                 2,
                 {{5, 4, 3, 2}, {1, 0}},
                 {true, false},
                 0},
        FormCase{"polygon_curve_run",
                 R"([["type","PolygonCurve_run"],["startvertex",0,"nprimitives",1,"nvertices",[6]]])",
                 1,
                 {{5, 4, 3, 2, 1, 0}},
                 {false},
                 0},
        FormCase{"empty_polygon_run", R"([["type","Polygon_run"],["startvertex",0,"nprimitives",0]])", 0, {}, {}, 0},
        FormCase{"others_counted",
                 R"([["type","Sphere"],["vertex",0]],)"
                 R"([["type","Tetrahedron_run"],["startvertex",0,"nprimitives",3]],)"
                 R"([["type","run","runtype","BezierCurve","varyingfields",["vertex"]],[[[0,1]],[[2,3]]]],)"
                 R"([["type","Poly"],["vertex",[0,1,2]]])",
                 7,
                 {{5, 4, 3}},
                 {true},
                 6}),
    [](const ::testing::TestParamInfo<FormCase> &info) { return std::string(info.param.label); });

TEST(GeoPrimitives, MalformedPrimitivesAreRefusedWithTheirLocation)
{
    struct Case
    {
        const char *primitives;
        int64_t count;
        const char *expected;
    } cases[] = {
        {R"([["type","Polygon_run"],["startvertex",4,"nvertices",[3]]])", 1,
         "primitives[0]/nvertices: the polygons run past vertexcount 6 (starting at vertex 4)"},
        {R"([["type","Polygon_run"],["startvertex",0,"nprimitives",3,"nvertices_rle",[2,2]]])", 3,
         "primitives[0]/nvertices_rle: describes 2 polygons, but nprimitives is 3"},
        {R"([["type","Polygon_run"],["nvertices_rle",[2,2,2]]])", 2,
         "primitives[0]/nvertices_rle: expected (vertex count, repeat) pairs"},
        {R"([["type","Polygon_run"],["nvertices_rle",[0,2147483648]]])", 1, "more primitives than primitivecount 1"},
        {R"([["type","Polygon_run"],["nvertices_rle",[0,2147483648,0,1]]])", 1,
         "describes more than 2147483648 polygons"},
        {R"([["type","Polygon_run"],["nprimitives",2]])", 2,
         "primitives[0]: missing key \"nvertices_rle\" or \"nvertices\""},
        {R"([["type","run","runtype","Poly","varyingfields",["closed"]],[[true]]])", 1,
         "primitives[0]/varyingfields: expected a field named \"vertex\""},
        {R"([["type","run","runtype","Poly","varyingfields",["vertex"]],[[[0,1],[2]]]])", 1,
         "primitives[0][0]: expected an array of 1 field values"},
        {R"([["type","Poly"],["vertex",[0,-1,2]]])", 1,
         "primitives[0]/vertex[1]: expected a vertex number from 0 to 5"},
        {R"([["type","Poly"]])", 1, "primitives[0]: expected a primitive [header, body]"},
        {R"([["type","Tetrahedron_run"],["startvertex",0]])", 1, "primitives[0]: missing key \"nprimitives\""},
        {R"([["type","Poly"],["vertex",[0,1,2]]],[["type","Poly"],["vertex",[3,4,5]]])", 1,
         "primitives[1]: more primitives than primitivecount 1"},
    };
    for (const Case &c : cases)
    {
        GU_Detail gdp;
        const GeometryReadResult result = readPrimitives(gdp, c.primitives, c.count);
        ASSERT_FALSE(result.ok) << c.primitives;
        EXPECT_NE(result.message.find(c.expected), std::string::npos) << result.message;
    }
}

TEST(GeoPrimitives, OverlappingRunsCannotMultiplyTheVertices)
{
    // Each run may use all 10000 vertices, but a hundred runs over the same
    // vertices would make a million corners out of a few kilobytes.
    std::string runs;
    const int n = 100;
    for (int i = 0; i < n; ++i)
        runs += std::string(i ? "," : "") + R"([["type","p_r"],["r_v",[10000,1]]])";
    GU_Detail gdp;
    const GeometryReadResult result = readPrimitives(gdp, runs, n, 10000);
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.message.find("the polygons use more vertices than the file describes"), std::string::npos)
        << result.message;
}

TEST(GeoPrimitives, SmallPolygonsAreKeptWithAWarning)
{
    GU_Detail gdp;
    const GeometryReadResult result = readPrimitives(gdp, R"([["type","Polygon_run"],["nvertices_rle",[2,1,4,1]]])", 2);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(polygonPoints(gdp), (Polygons{{5, 4}, {3, 2, 1, 0}}));
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("1 polygons have fewer than 3 vertices"), std::string::npos);
}
}  // namespace
