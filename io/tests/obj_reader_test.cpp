#include "io/obj/obj_reader.h"

#include "io/tests/test_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
// Two triangles sharing the edge 1-2, with a different normal each; point 0
// and point 3 use one normal only.
const char *kFolded = "# two faces\n"
                      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0.5\n"
                      "vn 0 0 1\nvn 0 0.6 0.8\n"
                      "f 1//1 2//1 3//1\n"
                      "f 2//2 4//2 3//2\n";

TEST(ObjReader, PositionsNormalsAndFaces)
{
    GU_Detail gdp;
    const GeometryReadResult result = readObjText(kFolded, "folded.obj", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(gdp.getNumPoints(), 4);
    EXPECT_EQ(polygonPoints(gdp), (std::vector<std::vector<int64_t>>{{0, 1, 2}, {1, 3, 2}}));
    EXPECT_EQ(attributeNames(gdp), (std::vector<std::string>{"P", "N"}));
    EXPECT_EQ(gdp.findPointAttribute("P")->getTypeInfo(), GA_TYPE_POINT);
    EXPECT_EQ(gdp.findPointAttribute("N")->getTypeInfo(), GA_TYPE_VECTOR);
    EXPECT_NE(numericAttribute(gdp, "N")->getData().getPageTableImplV3(), nullptr);
    EXPECT_EQ(component(gdp, "P", 3, 2), 0.5);
    // Agreeing normals are kept exactly.
    EXPECT_EQ(component(gdp, "N", 3, 1), double(0.6f));
    EXPECT_EQ(component(gdp, "N", 0, 2), 1.0);
    // Points 1 and 2 average (0,0,1) and (0,0.6,0.8): (0,0.6,1.8) normalised.
    const double length = std::sqrt(0.36 + 1.8 * 1.8);
    for (int p : {1, 2})
    {
        EXPECT_EQ(component(gdp, "N", p, 0), 0.0);
        EXPECT_EQ(component(gdp, "N", p, 1),
                  double(float(double(0.6f) /
                               std::sqrt(double(0.6f) * double(0.6f) + (1.0 + double(0.8f)) * (1.0 + double(0.8f))))));
        EXPECT_NEAR(component(gdp, "N", p, 2), 1.8 / length, 1e-7);
    }
}

TEST(ObjReader, WithoutNormalsThereIsNoDirection)
{
    GU_Detail gdp;
    const GeometryReadResult result =
        readObjText("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\nf -4 -3 -2\nl 1 2\n", "plain.obj", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(attributeNames(gdp), (std::vector<std::string>{"P"}));
    EXPECT_EQ(polygonPoints(gdp), (std::vector<std::vector<int64_t>>{{0, 1, 2}}));
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("1 line and point elements were skipped"), std::string::npos);
}

TEST(ObjReader, PartlyMissingAndCancellingNormalsAreReported)
{
    GU_Detail gdp;
    const GeometryReadResult result = readObjText(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvn 0 0 1\nvn 0 0 -1\nf 1//1 2//1 3//1\nf 2//2 4 3//2\n", "mixed.obj", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_NE(result.warnings[0].find("1 vertices have no normal"), std::string::npos);
    EXPECT_NE(result.warnings[1].find("2 vertices have normals that cancel out"), std::string::npos);
    EXPECT_EQ(component(gdp, "N", 1, 2), 0.0);
}

// Faces keep all their corners, however many; references may be relative
// (counted back from the latest vertex or normal) and carry texture numbers.
TEST(ObjReader, FacesOfAnyCornerCount)
{
    std::string text;
    const int corners = 1000;
    for (int i = 0; i < corners; ++i)
        text += "v " + std::to_string(std::cos(i * 0.00628)) + " " + std::to_string(std::sin(i * 0.00628)) + " 0\n";
    text += "vt 0 0\nvn 0 0 1\nf";
    for (int i = 0; i < corners; ++i)
        text += " " + std::to_string(i - corners) + (i % 2 ? "/1/1" : "//-1");
    text += "\nv 0 0 5\nf 1/1 2/1 -1/1\n";
    GU_Detail gdp;
    const GeometryReadResult result = readObjText(text, "disc.obj", gdp);
    ASSERT_TRUE(result.ok) << result.message;
    const std::vector<std::vector<int64_t>> polygons = polygonPoints(gdp);
    ASSERT_EQ(polygons.size(), 2u);
    ASSERT_EQ(polygons[0].size(), size_t(corners));
    for (int i = 0; i < corners; ++i)
        EXPECT_EQ(polygons[0][size_t(i)], i);
    EXPECT_EQ(polygons[1], (std::vector<int64_t>{0, 1, 1000}));
    // Every corner of the disc named the one normal; the apex named none.
    EXPECT_EQ(component(gdp, "N", 999, 2), 1.0);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("1 vertices have no normal"), std::string::npos);
}

TEST(ObjReader, MalformedFilesNameTheLine)
{
    struct Case
    {
        const char *text;
        const char *expected;
    } cases[] = {
        {"v 0 0 0\nv 1 0\n", "bad.obj: line 2: expected 3 numbers after \"v\""},
        {"v 0 0 0\n\nv 1 zero 0\n", "bad.obj: line 3: expected a finite 32-bit number, found \"zero\""},
        {"v 0 0 nan\n", "line 1: expected a finite 32-bit number"},
        {"vn 0 0 1e39\n", "line 1: expected a finite 32-bit number"},
        {"v 0 0 0\nv 1 0 0\nf 1 2\n", "line 3: a face needs at least 3 corners, found 2"},
        {"v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 7\r\n", "line 4: corner 3 refers to vertex 7, but the file has 3"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//2 3//1\n", "line 5: corner 2 refers to normal 2"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 0 2\n", "line 4: corner 2: expected a reference such as 3"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2x 3\n", "line 4: corner 2: expected a reference"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3/1/1/1\n", "line 4: corner 3: expected a reference"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3//\n", "line 4: corner 3: expected a reference"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n", "line 4: corner 3 refers to vertex -4, but only 3 vertices"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//-2 2 3\n", "corner 1 refers to normal -2, but only 1 normals"},
    };
    for (const Case &c : cases)
    {
        GU_Detail gdp;
        const GeometryReadResult result = readObjText(c.text, "bad.obj", gdp);
        ASSERT_FALSE(result.ok) << c.text;
        EXPECT_NE(result.message.find(c.expected), std::string::npos) << result.message;
        EXPECT_EQ(gdp.getNumPoints(), 0);
    }
}
}  // namespace
