#include "io/geo/geo_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct FixtureCase
{
    const char *file;
    int64_t points;
    int64_t polygons;
    int64_t skippedPrimitives;
    std::vector<std::string> names;
    std::vector<int32_t> codes;
    std::vector<int> sizes;
};

void PrintTo(const FixtureCase &c, std::ostream *out) { *out << c.file; }

class GeoFixtures : public ::testing::TestWithParam<FixtureCase>
{};

TEST_P(GeoFixtures, ReadWithCountsNamesCodesAndSizes)
{
    const FixtureCase &c = GetParam();
    GU_Detail gdp;
    const GeometryReadResult result = readGeoFile(testDataPath(c.file), gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPoints(), c.points);
    EXPECT_EQ(gdp.getNumPrimitives(), c.polygons);
    EXPECT_EQ(result.info.skippedPrimitives, c.skippedPrimitives);
    ASSERT_EQ(attributeNames(gdp), c.names);
    for (size_t i = 0; i < c.names.size(); ++i)
    {
        const GA_Attribute *attribute = gdp.findPointAttribute(c.names[i]);
        EXPECT_EQ(attribute->getTypeInfo(), c.codes[i]) << c.names[i];
        EXPECT_EQ(attribute->getTupleSize(), c.sizes[i]) << c.names[i];
        EXPECT_EQ(attribute->getScope(), GA_SCOPE_PUBLIC);
    }
}

const int U = GA_TYPE_UNKNOWN;

INSTANTIATE_TEST_SUITE_P(
    Files, GeoFixtures,
    ::testing::Values(FixtureCase{"h13_grid_single_poly.geo", 4, 1, 0, {"P", "uv"}, {1, 0}, {3, 3}},
                      FixtureCase{"h13_multiple_poly_boxes_groups.geo", 48, 12, 0, {"P", "N"}, {1, 4}, {3, 3}},
                      FixtureCase{"h15_grid_tetra_run.geo", 8, 5, 0, {"P"}, {1}, {3}},
                      FixtureCase{"h15_5_packed_points_vector.geo", 2, 0, 2, {"P", "v"}, {1, 3}, {3, 3}},
                      FixtureCase{"h16_5_grid_tetra_polygon_run.geo", 8, 5, 0, {"P"}, {1}, {3}},
                      FixtureCase{"h16_5_points_partanim.geo",
                                  10,
                                  0,
                                  0,
                                  {"P", "age", "dead", "force", "has_pprevious", "id", "life", "N", "pprevious", "rest",
                                   "sourceptnum", "uv", "v"},
                                  {1, 0, U, 0, U, U, 0, 4, 0, 0, U, 0, 3},
                                  {3, 1, 1, 3, 1, 1, 1, 3, 3, 3, 1, 3, 3}}),
    [](const ::testing::TestParamInfo<FixtureCase> &info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(GeoReaderFixtures, HomogeneousPositionBecomesThreeComponentPoint)
{
    GU_Detail gdp;
    const GeometryReadResult result = readGeoFile(testDataPath("h13_grid_single_poly.geo"), gdp);
    ASSERT_TRUE(result.ok) << result.message;
    const GA_ATINumeric *position = numericAttribute(gdp, "P");
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->getStorage(), GA_STORE_REAL32);
    // Interleaved 3 x fpreal32: the layout with a three-float page table.
    EXPECT_NE(position->getData().getPageTableImplV3(), nullptr);
    EXPECT_EQ(component(gdp, "P", 3, 0), 0.5);
    EXPECT_EQ(component(gdp, "P", 3, 2), 0.5);
    EXPECT_TRUE(result.warnings.empty());  // every w is 1
    // Vertex order 0, 1, 3, 2 through the topology.
    EXPECT_EQ(polygonPoints(gdp), (std::vector<std::vector<int64_t>>{{0, 1, 3, 2}}));
    EXPECT_EQ(result.info.fileVersion, "13.0.343");
}

TEST(GeoReaderFixtures, RunAndPolygonRunFormsGiveTheSameMesh)
{
    GU_Detail run, polygonRun;
    ASSERT_TRUE(readGeoFile(testDataPath("h15_grid_tetra_run.geo"), run).ok);
    ASSERT_TRUE(readGeoFile(testDataPath("h16_5_grid_tetra_polygon_run.geo"), polygonRun).ok);
    const auto polygons = polygonPoints(run);
    EXPECT_EQ(polygons, polygonPoints(polygonRun));
    ASSERT_EQ(polygons.size(), 5u);
    EXPECT_EQ(polygons[0].size(), 4u);
    EXPECT_EQ(polygons[4].size(), 3u);
    EXPECT_EQ(component(polygonRun, "P", 5, 0), double(-0.942810296999999964f));
}

TEST(GeoReaderFixtures, SkippedPartsAreCountedAndTokensKept)
{
    GU_Detail gdp;
    GeometryReadResult result = readGeoFile(testDataPath("h13_multiple_poly_boxes_groups.geo"), gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.info.skippedAttributes, 2);  // vertex uv, primitive Cd
    EXPECT_EQ(result.info.skippedGroups, 5);      // one point, three primitive and one edge group

    result = readGeoFile(testDataPath("h16_5_points_partanim.geo"), gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.info.typeTokens.at("id"), "nonarithmetic_integer");
    EXPECT_EQ(result.info.typeTokens.count("P"), 0u);
    EXPECT_EQ(numericAttribute(gdp, "id")->getStorage(), GA_STORE_INT32);
    EXPECT_EQ(component(gdp, "age", 9, 0), double(0.67033106099999995f));

    result = readGeoFile(testDataPath("h15_5_packed_points_vector.geo"), gdp);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("2 primitives that are not polygons"), std::string::npos);
}

// The small example of a triangle with a position and a direction, with the
// three equivalent ways of writing its primitive.
std::string exampleWith(const std::string &primitives)
{
    return R"([
	"fileversion","15.5.565",
	"hasindex",false,
	"pointcount",3,
	"vertexcount",3,
	"primitivecount",1,
	"info",{"software":"example writer","bounds":[0,1,0,1,0,0]},
	"topology",["pointref",["indices",[0,1,2]]],
	"attributes",[
		"pointattributes",[
			[
				["scope","public","type","numeric","name","P",
				 "options",{"type":{"type":"string","value":"point"}}],
				["size",3,"storage","fpreal32",
				 "defaults",["size",1,"storage","fpreal64","values",[0]],
				 "values",["size",3,"storage","fpreal32","tuples",[[0,0,0],[1,0,0],[0,1,0]]]]
			],
			[
				["scope","public","type","numeric","name","dir",
				 "options",{"type":{"type":"string","value":"vector"}}],
				["size",3,"storage","fpreal32",
				 "defaults",["size",1,"storage","fpreal64","values",[0]],
				 "values",["size",3,"storage","fpreal32","tuples",[[0,0,1],[0,0,1],[0.6,0,0.8]]]]
			]
		]
	],
	"primitives",)" +
           primitives + "\n]";
}

class WorkedExample : public ::testing::TestWithParam<const char *>
{};

TEST_P(WorkedExample, ReadsTheTriangleAndItsDirection)
{
    GU_Detail gdp;
    const GeometryReadResult result = readGeoText(exampleWith(GetParam()), "example.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPoints(), 3);
    EXPECT_EQ(polygonPoints(gdp), (std::vector<std::vector<int64_t>>{{0, 1, 2}}));
    EXPECT_EQ(gdp.findPointAttribute("dir")->getTypeInfo(), GA_TYPE_VECTOR);
    EXPECT_EQ(component(gdp, "dir", 2, 0), double(0.6f));
    EXPECT_EQ(component(gdp, "dir", 2, 2), double(0.8f));
    EXPECT_EQ(component(gdp, "P", 1, 0), 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    PrimitiveForms, WorkedExample,
    ::testing::Values(
        R"([[["type","run","runtype","Poly","varyingfields",["vertex"],"uniformfields",{"closed":true}],[[[0,1,2]]]]])",
        R"([[["type","Polygon_run"],["startvertex",0,"nprimitives",1,"nvertices",[3]]]])",
        R"([[["type","Poly"],["vertex",[0,1,2],"closed",true]]])"));

TEST(GeoReaderText, LegacyFormatIsRefusedByName)
{
    const std::string legacy = "PGEOMETRY V5\nNPoints 1 NPrims 0\nNPointGroups 0 NPrimGroups 0\n"
                               "NPointAttrib 0 NVertexAttrib 0 NPrimAttrib 0 NAttrib 0\n0 0 0 1\n"
                               "beginExtra\nendExtra\n";
    GU_Detail gdp;
    const GeometryReadResult result = readGeoText(legacy, "old.geo", gdp);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("old.geo"), std::string::npos);
    EXPECT_NE(result.message.find("PGEOMETRY"), std::string::npos);
}

TEST(GeoReaderText, FailedReadLeavesTheGeometryEmpty)
{
    GU_Detail gdp;
    makePoints(gdp, 5);
    const GeometryReadResult result = readGeoText("[\"pointcount\",1", "broken.geo", gdp);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(gdp.getNumPoints(), 0);
    EXPECT_EQ(gdp.pointAttribs().entries(), 0);
}

TEST(GeoReaderText, PositionIsCreatedFirstWhateverTheFileOrder)
{
    const std::string text = geoDocument(2, numericEntry("a", "", 1, "fpreal32", R"("arrays",[[1,2]])") + "," +
                                                numericEntry("P", "", 3, "fpreal32", R"("tuples",[[1,2,3],[4,5,6]])"));
    GU_Detail gdp;
    const GeometryReadResult result = readGeoText(text, "order.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(attributeNames(gdp), (std::vector<std::string>{"P", "a"}));
    EXPECT_EQ(gdp.findPointAttribute("P")->getTypeInfo(), GA_TYPE_VOID);  // untyped stays 0
}

TEST(GeoReaderText, ScopeStringsAndDefaultsAreKept)
{
    const std::string hidden =
        R"([["scope","private","type","numeric","name","h","options",{}],)"
        R"(["size",2,"storage","int16","defaults",["size",2,"storage","fpreal64","values",[7,-3]],)"
        R"("values",["size",2,"storage","int16","tuples",[[1,2],[3,4]]]]])";
    const std::string names = R"([["scope","public","type","string","name","label","options",{}],)"
                              R"(["size",1,"storage","int32","strings",["left","right"],)"
                              R"("indices",["size",1,"storage","int32","arrays",[[1,-1]]]]])";
    GU_Detail gdp;
    const GeometryReadResult result = readGeoText(geoDocument(2, hidden + "," + names), "mixed.geo", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    const GA_ATINumeric *h = numericAttribute(gdp, "h");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->getScope(), GA_SCOPE_PRIVATE);
    EXPECT_EQ(h->getLayout(), GA_LAYOUT_COMPONENTS);
    EXPECT_EQ(h->getDefaults(), (std::vector<double>{7, -3}));
    EXPECT_EQ(component(gdp, "h", 1, 1), 4.0);
    const GA_Attribute *label = gdp.findPointAttribute("label");
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(&label->getType(), &GA_ATIString::theAttributeType);
    EXPECT_EQ(static_cast<const GA_ATIString *>(label)->getString(0), "right");
    EXPECT_EQ(static_cast<const GA_ATIString *>(label)->getString(1), "");
}

TEST(GeoReaderText, UnknownTypeTokensNeverSelectPositionsDirectionsOrIntensities)
{
    for (const char *token : {"texturecoord", "Point", "", "quaternion", "nonarithmetic_integer"})
    {
        const std::string options = std::string(R"("type":{"type":"string","value":")") + token + "\"}";
        GU_Detail gdp;
        const GeometryReadResult result = readGeoText(
            geoDocument(1, numericEntry("x", options, 3, "fpreal32", R"("tuples",[[1,2,3]])")), "t.geo", gdp);
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(gdp.findPointAttribute("x")->getTypeInfo(), GA_TYPE_UNKNOWN) << token;
        EXPECT_EQ(result.info.typeTokens.at("x"), token);
    }
}
}  // namespace
