#include "math/triangle_hit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

const Triangle kUnitTriangle = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)};

bool sameBits(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}

struct AcceptedCase
{
    const char *name;
    UT_Vector3 origin;
    UT_Vector3 direction;
    UT_Vector3 point;
    UT_Vector3 weights;
    float squaredDistance;
};

struct RejectedCase
{
    const char *name;
    UT_Vector3 origin;
    UT_Vector3 direction;
    Triangle triangle;
};

}  // namespace

TEST(HitTriangle, AcceptsHitsInsideAndOnTheBorder)
{
    const std::vector<AcceptedCase> cases = {
        {"inside", {0.25f, 0.25f, -1}, {0, 0, 1}, {0.25f, 0.25f, 0}, {0.5f, 0.25f, 0.25f}, 1},
        {"corner P1", {1, 0, -1}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 1},
        {"corner P2", {0, 1, -1}, {0, 0, 1}, {0, 1, 0}, {0x1p-24f, 0, 1}, 1},
        {"edge", {0.5f, 0.5f, -1}, {0, 0, 1}, {0.5f, 0.5f, 0}, {0, 0.5f, 0.5f}, 1},
        {"oblique", {-0.5f, 0.25f, -1}, {0.6f, 0, 0.8f}, {0.25f, 0.25f, 0}, {0.5f, 0.25f, 0.25f}, 1.5625f},
        // Accepted here; the distance bound is the caller's business.
        {"far", {0.25f, 0.25f, -100000.0f}, {0, 0, 1}, {0.25f, 0.25f, 0}, {0.5f, 0.25f, 0.25f}, 1e10f},
    };
    for (const AcceptedCase &c : cases)
    {
        TriangleHit hit{};
        ASSERT_TRUE(hitTriangle(c.origin, c.direction, kUnitTriangle, hit)) << c.name;
        EXPECT_TRUE(sameBits(hit.point, c.point)) << c.name;
        EXPECT_TRUE(sameBits(hit.weights, c.weights)) << c.name;
        EXPECT_EQ(hit.squaredDistance, c.squaredDistance) << c.name;
    }
}

TEST(HitTriangle, RejectsMissesAndLeavesTheHitUntouched)
{
    const Triangle coincident = {UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 0), UT_Vector3(0, 1, 0)};
    // Collinear only up to rounding: the normal (0, 0, 1e-30) passes the face
    // and plane tests, and every weight comes out NaN.
    const Triangle sliver = {UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(2, 1e-30f, 0)};
    const std::vector<RejectedCase> cases = {
        {"outside", {0.6f, 0.6f, -1}, {0, 0, 1}, kUnitTriangle},
        {"back face", {0.25f, 0.25f, 1}, {0, 0, -1}, kUnitTriangle},
        {"plane behind", {0.25f, 0.25f, 1}, {0, 0, 1}, kUnitTriangle},
        {"origin on plane", {0.25f, 0.25f, 0}, {0, 0, 1}, kUnitTriangle},
        {"edge-on", {-1, 0.25f, 0}, {1, 0, 0}, kUnitTriangle},
        {"coincident corners", {0, 0.5f, -1}, {0, 0, 1}, coincident},
        {"NaN weights", {0.5f, 0, -1}, {0, 0, 1}, sliver},
    };
    const TriangleHit sentinel{{7, 8, 9}, {1, 2, 3}, 42};
    for (const RejectedCase &c : cases)
    {
        TriangleHit hit = sentinel;
        EXPECT_FALSE(hitTriangle(c.origin, c.direction, c.triangle, hit)) << c.name;
        EXPECT_TRUE(sameBits(hit.point, sentinel.point)) << c.name;
        EXPECT_EQ(hit.squaredDistance, sentinel.squaredDistance) << c.name;
    }
}

TEST(HitTriangle, DistanceBoundKeepsOnlyFloatsBelowTenBillion)
{
    // The largest float below 1e10 passes; 1e10 itself (a float) does not.
    EXPECT_LT(static_cast<double>(9999998976.0f), kNoHitSquaredDistance);
    EXPECT_FALSE(static_cast<double>(1e10f) < kNoHitSquaredDistance);
}
