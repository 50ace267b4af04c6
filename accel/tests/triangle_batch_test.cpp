#include "accel/triangle_batch.h"

#include "accel/bvh_walk.h"
#include "accel/tests/accel_scenes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace
{

// The batch test of one triangle must agree with hitTriangle bit for bit
// (hits at 1e10 or beyond are dropped by the bound both searches share).
void expectSameAsScalar(const Triangle &t, const UT_Vector3 &origin, const UT_Vector3 &direction)
{
    TriangleHit expected{};
    const bool scalar =
        hitTriangle(origin, direction, t, expected) && double(expected.squaredDistance) < kNoHitSquaredDistance;
    const PackedTriangle p = packTriangle(t, 7);
    BestHit best;
    const bool batch = testTriangleBatch(&p, 1, makeExactRay(origin, direction), best);
    ASSERT_EQ(scalar, batch) << "origin (" << origin.x() << ", " << origin.y() << ", " << origin.z() << ")";
    if (scalar)
    {
        EXPECT_EQ(std::memcmp(&expected, &best.hit, sizeof(TriangleHit)), 0);
    }
#if defined(VELKOR_ACCEL_AVX2)
    // The same triangle in every lane of the eight-lane batch in turn, the
    // other lanes holding a triangle that is never met.
    if (widestNodeTest() != NodeTestWidth::Eight)
        return;
    const PackedTriangle never = packTriangle({UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 0)}, 0);
    for (int lane = 0; lane < 8; ++lane)
    {
        PackedTriangle eight[8];
        std::fill(eight, eight + 8, never);
        eight[lane] = p;
        BestHit wide;
        ASSERT_EQ(scalar, testTriangleBatch8(eight, 8, makeExactRay(origin, direction), wide)) << "lane " << lane;
        if (scalar)
        {
            EXPECT_EQ(std::memcmp(&expected, &wide.hit, sizeof(TriangleHit)), 0) << "lane " << lane;
        }
    }
#endif
}

}  // namespace

TEST(TriangleBatch, MatchesScalarTestOnStressScenes)
{
    std::mt19937 rng(11);
    std::vector<Triangle> triangles = gridMesh(6, 6, UT_Vector3(-3, -3, 0), 1.0f, 0.01f, rng);
    const std::vector<Triangle> soup = triangleSoup(60, UT_Vector3(-3, -3, -3), 6, 2, rng);
    const std::vector<Triangle> thin = needles(60, UT_Vector3(-3, -3, -3), 6, 2, rng);
    triangles.insert(triangles.end(), soup.begin(), soup.end());
    triangles.insert(triangles.end(), thin.begin(), thin.end());
    std::vector<TestRay> rays = raysAtFeatures(triangles, 300, UT_Vector3(-5, -5, -5), 10, rng);
    const std::vector<TestRay> more = randomRays(100, UT_Vector3(-5, -5, -5), 10, rng);
    rays.insert(rays.end(), more.begin(), more.end());
    for (const TestRay &ray : rays)
        for (const Triangle &t : triangles)
            expectSameAsScalar(t, ray.origin, ray.direction);
}

TEST(TriangleBatch, MatchesScalarTestOnDegenerateInput)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const UT_Vector3 a(0, 0, 0), b(1, 0, 0), c(0, 1, 0);
    const std::vector<Triangle> triangles = {
        {a, b, c},
        {a, a, c},                                                // two equal corners
        {a, b, UT_Vector3(2, 1e-7f, 0)},                          // collinear up to rounding
        {a, b, UT_Vector3(0.5f, 1e-30f, 0)},                      // tiny altitude
        {a, UT_Vector3(1e-20f, 0, 0), UT_Vector3(0, 1e-20f, 0)},  // tiny
        {UT_Vector3(inf, 0, 0), b, c},
        {UT_Vector3(nan, 0, 0), b, c},
        {UT_Vector3(1e30f, 0, 0), UT_Vector3(1e30f, 1e30f, 0), UT_Vector3(0, 1e30f, 0)},
    };
    const std::vector<TestRay> rays = {
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1)},
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 2)},       // not unit length
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1e-30f)},  // left unnormalised
        {UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1)},        // origin on the plane
        {UT_Vector3(1, 0, -1), UT_Vector3(0, 0, 1)},               // at a corner
        {UT_Vector3(0.5f, 0.5f, -1), UT_Vector3(0, 0, 1)},         // on an edge
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(1, 0, 0)},       // parallel
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(nan, 0, 1)},
        {UT_Vector3(inf, 0.25f, -1), UT_Vector3(0, 0, 1)},
        {UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 0)},
        {UT_Vector3(0.25f, 0.25f, -99999.99f), UT_Vector3(0, 0, 1)},  // just inside the bound
        {UT_Vector3(0.25f, 0.25f, -100000), UT_Vector3(0, 0, 1)},     // at the bound
    };
    for (const TestRay &ray : rays)
        for (const Triangle &t : triangles)
            expectSameAsScalar(t, ray.origin, ray.direction);
}

TEST(TriangleBatch, KeepsTheLowerPositionAmongEqualDistances)
{
    const Triangle t = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)};
    const ExactRay ray = makeExactRay(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    // Lanes out of position order, and a second batch with an even lower one.
    const PackedTriangle batch[4] = {packTriangle(t, 9), packTriangle(t, 4), packTriangle(t, 6), packTriangle(t, 5)};
    BestHit best;
    EXPECT_TRUE(testTriangleBatch(batch, 4, ray, best));
    EXPECT_EQ(best.position, 4);
    const PackedTriangle lower = packTriangle(t, 2);
    const PackedTriangle higher = packTriangle(t, 3);
    EXPECT_TRUE(testTriangleBatch(&lower, 1, ray, best));
    EXPECT_FALSE(testTriangleBatch(&higher, 1, ray, best));
    EXPECT_EQ(best.position, 2);
    EXPECT_EQ(best.squaredDistance, 1.0f);
}

TEST(TriangleBatch, SkipsTrianglesThatCannotBeatTheBest)
{
    const Triangle nearT = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)};
    const Triangle farT = {UT_Vector3(0, 0, 1), UT_Vector3(1, 0, 1), UT_Vector3(0, 1, 1)};
    const ExactRay ray = makeExactRay(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    BestHit best;
    const PackedTriangle first = packTriangle(nearT, 5);
    const PackedTriangle second = packTriangle(farT, 0);
    EXPECT_TRUE(testTriangleBatch(&first, 1, ray, best));
    EXPECT_FALSE(testTriangleBatch(&second, 1, ray, best));
    EXPECT_EQ(best.position, 5);
}

TEST(TriangleBatch, EightLanesKeepTheLowerPositionAmongEqualDistances)
{
#if defined(VELKOR_ACCEL_AVX2)
    if (widestNodeTest() != NodeTestWidth::Eight)
        GTEST_SKIP() << "the processor has no AVX2";
    const Triangle t = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)};
    const Triangle behind = {UT_Vector3(0, 0, -2), UT_Vector3(1, 0, -2), UT_Vector3(0, 1, -2)};
    const Triangle nearer = {UT_Vector3(0, 0, -0.5f), UT_Vector3(1, 0, -0.5f), UT_Vector3(0, 1, -0.5f)};
    const ExactRay ray = makeExactRay(UT_Vector3(0.25f, 0.25f, -1), UT_Vector3(0, 0, 1));
    // The lowest position in the upper half of the lanes, a triangle behind
    // the origin with an even lower one, and fewer triangles than lanes.
    const PackedTriangle batch[8] = {packTriangle(t, 9), packTriangle(t, 4),     packTriangle(t, 6),
                                     packTriangle(t, 5), packTriangle(t, 8),     packTriangle(t, 3),
                                     packTriangle(t, 7), packTriangle(behind, 1)};
    BestHit best;
    EXPECT_TRUE(testTriangleBatch8(batch, 8, ray, best));
    EXPECT_EQ(best.position, 3);
    EXPECT_EQ(best.squaredDistance, 1.0f);
    BestHit few;
    EXPECT_TRUE(testTriangleBatch8(batch, 5, ray, few));
    EXPECT_EQ(few.position, 4);
    // A nearer hit in the last lane wins whatever its position.
    PackedTriangle withNearer[8];
    std::copy(batch, batch + 8, withNearer);
    withNearer[7] = packTriangle(nearer, 11);
    BestHit nearest;
    EXPECT_TRUE(testTriangleBatch8(withNearer, 8, ray, nearest));
    EXPECT_EQ(nearest.position, 11);
    EXPECT_EQ(nearest.squaredDistance, 0.25f);
#else
    GTEST_SKIP() << "this build has only four lanes";
#endif
}
