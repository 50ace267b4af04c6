#include "render/preview_geometry.h"

#include "render/tests/test_scenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
TEST(FindPointAttribute, ChoosesByCodeNotName)
{
    GU_Detail detail;
    detail.addNumericPointAttribute("P", 2, GA_STORE_REAL32, GA_LAYOUT_COMPONENTS, GA_TYPE_POINT);
    detail.addStringPointAttribute("label", 3)->setTypeInfo(GA_TYPE_POINT);
    detail.addFloatTuple3("hpoint", GA_TYPE_HPOINT);
    GA_ATINumeric *where = detail.addFloatTuple3("where", GA_TYPE_VOID);
    GA_ATINumeric *energy =
        detail.addNumericPointAttribute("energy", 4, GA_STORE_REAL64, GA_LAYOUT_COMPONENTS, GA_TYPE_NORMAL);
    detail.addFloatTuple3("second", GA_TYPE_NORMAL);
    EXPECT_EQ(findPointAttribute(detail, 0), where) << "code 0 counts as a position";
    EXPECT_EQ(findPointAttribute(detail, 4), energy) << "the first of its code, four components allowed";
    EXPECT_EQ(findPointAttribute(detail, 3), nullptr);
}

TEST(GatherPoints, ReadsEveryStorageAndPage)
{
    // 2500 points span three pages; the middle page is left constant, and
    // the intensity is stored per component in doubles (the slow path).
    GU_Detail detail;
    GA_ATINumeric *position = detail.addFloatTuple3("P", GA_TYPE_POINT, {7.0, 8.0, 9.0});
    GA_ATINumeric *intensity =
        detail.addNumericPointAttribute("I", 3, GA_STORE_REAL64, GA_LAYOUT_COMPONENTS, GA_TYPE_NORMAL);
    detail.appendPointBlock(2500);
    for (GA_Offset off = 0; off < 2500; ++off)
    {
        if (off < 1024 || off >= 2048)
            for (int k = 0; k < 3; ++k)
                position->setDouble(off, k, double(off) + k);
        intensity->setDouble(off, 0, std::ldexp(3.0, 100));
        intensity->setDouble(off, 1, std::ldexp(4.0, 100));
    }
    PointSamples points;
    std::string error;
    ASSERT_TRUE(gatherPoints(detail, points, error)) << error;
    ASSERT_EQ(points.positions.size(), 7500u);
    EXPECT_EQ(points.positions[3 * 1023 + 2], 1025.0f);
    EXPECT_EQ(points.positions[3 * 1500 + 0], 7.0f);
    EXPECT_EQ(points.positions[3 * 1500 + 2], 9.0f);
    EXPECT_EQ(points.positions[3 * 2499 + 1], 2500.0f);
    ASSERT_TRUE(points.hasIntensity);
    // The squares overflow single precision; lengths are taken in double.
    EXPECT_EQ(points.lengths[1700], std::ldexp(5.0, 100));
}

TEST(GatherPoints, NeedsAPositionOnlyWhenThereArePoints)
{
    GU_Detail detail;
    PointSamples points;
    std::string error;
    EXPECT_TRUE(gatherPoints(detail, points, error));
    detail.appendPointBlock(3);
    EXPECT_FALSE(gatherPoints(detail, points, error));
    EXPECT_NE(error.find("position"), std::string::npos) << error;
}

TEST(GatherTriangles, KeepsCornersZeroToTwoAndSkipsUnusablePrimitives)
{
    GU_Detail detail = makeTriangles({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}});
    GA_ATINumeric *position = static_cast<GA_ATINumeric *>(detail.findPointAttribute("P"));
    const GA_Offset extra = detail.appendPointBlock(2);
    position->setDouble(extra, 0, 5.0);
    position->setDouble(extra + 1, 1, std::numeric_limits<double>::quiet_NaN());
    detail.appendPolygon({0, 1, extra, 2});   // a quad: the tracer uses its first three corners
    detail.appendPolygon({0, 1});             // too few vertices
    detail.appendPolygon({0, 1, extra + 1});  // a NaN corner
    TriangleSamples triangles;
    std::string error;
    ASSERT_TRUE(gatherTriangles(detail, triangles, error)) << error;
    ASSERT_EQ(triangles.corners, (std::vector<int64_t>{0, 1, 2, 0, 1, extra}));
    EXPECT_EQ(triangles.skipped, 2);

    GU_Detail bare;
    bare.appendPointBlock(3);
    bare.appendPolygon({0, 1, 2});
    EXPECT_FALSE(gatherTriangles(bare, triangles, error));
}
}  // namespace
