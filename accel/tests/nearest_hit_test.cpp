#include "accel/nearest_hit.h"

#include <gtest/gtest.h>

namespace
{

// The unit triangle lifted to height z: met from below by rays along +z.
Triangle unitAt(float z) { return {UT_Vector3(0, 0, z), UT_Vector3(1, 0, z), UT_Vector3(0, 1, z)}; }

const UT_Vector3 kUp(0, 0, 1);

}  // namespace

TEST(NearestHitExhaustive, TakesTheNearestAndTheFirstAmongEqualDistances)
{
    const std::vector<Triangle> triangles = {unitAt(3), unitAt(1), unitAt(2), unitAt(1)};
    NearestHit hit{-1, {}};
    ASSERT_TRUE(nearestHitExhaustive(triangles, {}, UT_Vector3(0.25f, 0.25f, 0), kUp, hit));
    EXPECT_EQ(hit.primitive, 1);
    EXPECT_EQ(hit.hit.squaredDistance, 1.0f);

    ASSERT_TRUE(nearestHitExhaustive(triangles, {10, 20, 30, 40}, UT_Vector3(0.25f, 0.25f, 0), kUp, hit));
    EXPECT_EQ(hit.primitive, 20);
}

TEST(NearestHitExhaustive, IgnoresHitsAtTheDistanceBound)
{
    // 99999.99 rounds to the float 99999.9921875, whose square rounds below 1e10.
    const std::vector<Triangle> triangles = {unitAt(0)};
    struct Case
    {
        float start;
        bool hit;
    };
    for (const Case &c : {Case{-99999.99f, true}, Case{-100000.0f, false}, Case{-200000.0f, false}})
    {
        NearestHit hit{-1, {}};
        EXPECT_EQ(nearestHitExhaustive(triangles, {}, UT_Vector3(0.25f, 0.25f, c.start), kUp, hit), c.hit) << c.start;
    }
}

TEST(NearestHitExhaustive, ReportsNothingForMismatchedIndexOrNoHit)
{
    const std::vector<Triangle> triangles = {unitAt(1)};
    NearestHit hit{-7, {}};
    EXPECT_FALSE(nearestHitExhaustive(triangles, {1, 2}, UT_Vector3(0.25f, 0.25f, 0), kUp, hit));
    EXPECT_FALSE(nearestHitExhaustive(triangles, {}, UT_Vector3(0.25f, 0.25f, 2), kUp, hit));  // behind
    EXPECT_FALSE(nearestHitExhaustive({}, {}, UT_Vector3(0.25f, 0.25f, 0), kUp, hit));
    EXPECT_EQ(hit.primitive, -7);
}
