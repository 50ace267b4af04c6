#include "view/view_scene.h"

#include "render/tests/test_scenes.h"
#include "view/tests/view_test_scenes.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

TEST(ViewStride, KeepsAtMostTheLimit)
{
    const struct
    {
        int64_t points, limit, stride;
    } cases[] = {{0, 10, 1},
                 {10, 10, 1},
                 {11, 10, 2},
                 {20, 10, 2},
                 {21, 10, 3},
                 {5, 0, 1},
                 {2000001, kViewPointLimit, 2},
                 {int64_t(1) << 31, kViewPointLimit, 1074}};
    for (const auto &c : cases)
    {
        const int64_t stride = viewStride(c.points, c.limit);
        EXPECT_EQ(stride, c.stride) << c.points << " / " << c.limit;
        if (c.limit > 0)
        {
            EXPECT_LE((c.points + stride - 1) / stride, c.limit);
        }
    }
}

TEST(ViewScene, SampledPointsKeepTheirOwnDirectionAndIntensity)
{
    // 26 points, at most 10: every third point, 0 .. 24. The scale still
    // spans every point, up to point 25's intensity of 26.
    const GU_Detail points = makeNumberedPoints(26);
    ViewScene scene;
    std::string error;
    ASSERT_TRUE(gatherViewScene(points, nullptr, nullptr, PointsShown::All, 10, scene, error)) << error;
    EXPECT_EQ(scene.pointCount, 26);
    EXPECT_EQ(scene.stride, 3);
    ASSERT_EQ(scene.positions.size(), 9u * 3);
    ASSERT_EQ(scene.directions.size(), 9u * 3);
    ASSERT_EQ(scene.intensities.size(), 9u * 3);
    for (size_t k = 0; k < 9; ++k)
    {
        EXPECT_EQ(scene.positions[k * 3 + 1], 6.0f * k) << k;
        EXPECT_EQ(scene.directions[k * 3 + 2], 3.0f * k) << k;
        EXPECT_EQ(scene.intensities[k * 3], 3.0f * k + 1) << k;
    }
    EXPECT_EQ(scene.scale.minValue, 1.0);
    EXPECT_EQ(scene.scale.maxValue, 26.0);
}

TEST(ViewScene, ShownPointsChooseTheScale)
{
    // Points 0 and 1 are input points (intensities 1 and 2), 2 .. 4 were
    // appended (3 .. 5).
    const GU_Detail points = makeNumberedPoints(5);
    const GU_Detail input = makeInput(2);
    const struct
    {
        PointsShown shown;
        double min, max;
    } cases[] = {{PointsShown::All, 1, 5}, {PointsShown::New, 3, 5}, {PointsShown::Input, 1, 2}};
    for (const auto &c : cases)
    {
        ViewScene scene;
        std::string error;
        ASSERT_TRUE(gatherViewScene(points, nullptr, &input, c.shown, kViewPointLimit, scene, error));
        EXPECT_EQ(scene.inputCount, 2);
        EXPECT_EQ(scene.scale.minValue, c.min) << int(c.shown);
        EXPECT_EQ(scene.scale.maxValue, c.max) << int(c.shown);
        EXPECT_EQ(scene.positions.size(), 15u) << "every point is carried, shown or not";
    }
}

TEST(ViewScene, MissingAttributesLeaveEmptyBuffers)
{
    // Position and intensity only (no direction); then no intensity either.
    const GU_Detail withIntensity = makePoints({{0, 0, 0, 2.0f}, {1, 0, 0, 4.0f}});
    const GU_Detail bare = makePoints({{0, 0, 0, 0}}, false);
    ViewScene scene;
    std::string error;
    ASSERT_TRUE(gatherViewScene(withIntensity, nullptr, nullptr, PointsShown::All, 10, scene, error));
    EXPECT_TRUE(scene.directions.empty());
    EXPECT_EQ(scene.intensities.size(), 6u);
    ASSERT_TRUE(gatherViewScene(bare, nullptr, nullptr, PointsShown::All, 10, scene, error));
    EXPECT_TRUE(scene.intensities.empty());
    EXPECT_FALSE(scene.scale.hasRange);
}

TEST(ViewScene, ColliderKeepsVertexOrderAndSkipsUnusableTriangles)
{
    const float inf = std::numeric_limits<float>::infinity();
    const GU_Detail collider = makeTriangles({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}},
                                              {{{0, 0, inf}, {1, 0, 0}, {0, 1, 0}}},
                                              {{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}}});
    const GU_Detail points = makeNumberedPoints(1);
    ViewScene scene;
    std::string error;
    ASSERT_TRUE(gatherViewScene(points, &collider, nullptr, PointsShown::All, 10, scene, error)) << error;
    EXPECT_EQ(scene.colliderPositions.size(), 9u * 3);
    EXPECT_EQ(scene.triangles, (std::vector<uint32_t>{0, 1, 2, 6, 7, 8}));
    EXPECT_EQ(scene.trianglesSkipped, 1);
}

TEST(ViewScene, PointsWithoutPositionAreRefused)
{
    GU_Detail points;
    points.addFloatTuple3("N", GA_TYPE_VECTOR);
    points.appendPointBlock(3);
    ViewScene scene;
    std::string error;
    EXPECT_FALSE(gatherViewScene(points, nullptr, nullptr, PointsShown::All, 10, scene, error));
    EXPECT_NE(error.find("position"), std::string::npos) << error;
}

}  // namespace
