#include "trace/bounce_tracer.h"

#include "trace/tests/trace_test_scenes.h"

#include <gtest/gtest.h>

using namespace trace_test;

namespace
{

const UT_Vector3 kZero(0, 0, 0);
const UT_Vector3 kUp(0, 0, 1);

struct Ray
{
    UT_Vector3 origin;
    UT_Vector3 direction;
};

BounceResult trace(const GU_Detail &collider, Ray ray, int32_t bounces = 1)
{
    return traceBounces(ray.origin, ray.direction, collider, bounces);
}

}  // namespace

TEST(TraceBounces, HitsTheFrontOfTheUnitTriangle)
{
    ColliderBuilder c;
    c.unitTriangle(kUp, UT_Vector3(0.5f, 0.5f, 0.5f));
    BounceResult r = trace(c.gdp, {{0.25f, 0.25f, -1}, kUp});
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.position, UT_Vector3(0.25f, 0.25f, 0));
    EXPECT_EQ(r.direction, kUp) << "a direction along the axis is unchanged by the turn";
    EXPECT_EQ(r.surfaceDirection, kUp);
    // Weights (0.5, 0.25, 0.25) interpolate 0.5 exactly.
    EXPECT_EQ(r.surfaceIntensity, UT_Vector3(0.5f, 0.5f, 0.5f));
}

TEST(TraceBounces, MissesLeaveTheRayAndZeroSurfaceValues)
{
    ColliderBuilder c;
    c.unitTriangle();
    const Ray misses[] = {
        {{0.25f, 0.25f, 1}, {0, 0, -1}},  // back face
        {{0.6f, 0.6f, -1}, kUp},          // plane hit outside the triangle
        {{0.25f, 0.25f, 0}, kUp},         // origin on the plane
        {{0.25f, 0.25f, -100001}, kUp},   // beyond the search distance
    };
    for (const Ray &ray : misses)
    {
        BounceResult r = trace(c.gdp, ray);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r.position, ray.origin);
        EXPECT_EQ(r.direction, ray.direction);
        EXPECT_EQ(r.surfaceDirection, kZero);
        EXPECT_EQ(r.surfaceIntensity, kZero);
    }
}

TEST(TraceBounces, TurnsAboutTheUnnormalisedSurfaceDirection)
{
    ColliderBuilder c;
    c.unitTriangle(UT_Vector3(0, 0, 5));
    BounceResult r = trace(c.gdp, {{-0.5f, 0.25f, -1}, {0.6f, 0, 0.8f}});
    EXPECT_NEAR(r.position.x(), 0.25f, 1e-6);
    EXPECT_NEAR(r.position.y(), 0.25f, 1e-6);
    EXPECT_NEAR(r.direction.x(), -0.6f, 1e-6);
    EXPECT_NEAR(r.direction.z(), 0.8f, 1e-6);
    EXPECT_EQ(r.surfaceDirection, UT_Vector3(0, 0, 5));

    ColliderBuilder zero;
    zero.unitTriangle(kZero);
    BounceResult back = trace(zero.gdp, {{0.25f, 0.25f, -1}, kUp});
    EXPECT_EQ(back.direction, UT_Vector3(0, 0, -1)) << "a zero axis sends the ray back";
    EXPECT_EQ(back.surfaceDirection, kZero);
}

TEST(TraceBounces, AcceptsCornersAndEdges)
{
    ColliderBuilder c;
    c.unitTriangle(UT_Vector3(1, 2, 3));
    BounceResult r = trace(c.gdp, {{1, 0, -1}, kUp});
    EXPECT_EQ(r.position, UT_Vector3(1, 0, 0));
    // Weights exactly (0, 1, 0): the value at P1.
    EXPECT_EQ(r.surfaceDirection, UT_Vector3(1, 2, 3));
    EXPECT_EQ(trace(c.gdp, {{0.5f, 0, -1}, kUp}).position, UT_Vector3(0.5f, 0, 0));
}

TEST(TraceBounces, EqualDistancesGoToTheLowestPrimitive)
{
    ColliderBuilder c;
    c.unitTriangle(UT_Vector3(0, 0, 1), UT_Vector3(0.25f, 0.25f, 0.25f));
    c.unitTriangle(UT_Vector3(0, 0, 2), UT_Vector3(0.75f, 0.75f, 0.75f));
    BounceResult r = trace(c.gdp, {{0.25f, 0.25f, -1}, kUp});
    EXPECT_EQ(r.surfaceDirection, UT_Vector3(0, 0, 1));
    EXPECT_EQ(r.surfaceIntensity, UT_Vector3(0.25f, 0.25f, 0.25f));

    // A nearer triangle later in the list still wins.
    c.triangle(UT_Vector3(-1, -1, -0.5f), UT_Vector3(2, -1, -0.5f), UT_Vector3(-1, 2, -0.5f), UT_Vector3(0, 0, 3));
    EXPECT_NEAR(trace(c.gdp, {{0.25f, 0.25f, -1}, kUp}).surfaceDirection.z(), 3.0f, 1e-6f);
}

TEST(TraceBounces, CountsAndEmptyResults)
{
    ColliderBuilder c;
    c.unitTriangle();
    for (int32_t bounces : {0, -3})
    {
        BounceResult r = trace(c.gdp, {{0.25f, 0.25f, -1}, kUp}, bounces);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r.position, UT_Vector3(0.25f, 0.25f, -1));
        EXPECT_EQ(r.surfaceDirection, kZero);
    }

    GU_Detail noDirections;
    noDirections.addFloatTuple3("P", 1);
    UT_Vector3 origin(1, 2, 3), direction(0, 0, 1);
    EXPECT_TRUE(traceBounces(origin, direction, noDirections, 1).empty());
    EXPECT_EQ(origin, UT_Vector3(1, 2, 3));
}

TEST(TraceBounces, SecondBounceKeepsTheFirstSurfaceValuesWhenItMisses)
{
    ColliderBuilder c;
    c.unitTriangle(kUp, UT_Vector3(0.5f, 0.5f, 0.5f));
    BounceResult r = trace(c.gdp, {{0.25f, 0.25f, -1}, kUp}, 2);
    EXPECT_EQ(r.position, UT_Vector3(0.25f, 0.25f, 0));
    EXPECT_EQ(r.surfaceDirection, kUp);
    EXPECT_EQ(r.surfaceIntensity, UT_Vector3(0.5f, 0.5f, 0.5f));

    // Between two facing triangles the second bounce finds the other one.
    ColliderBuilder pair;
    pair.unitTriangle(kZero);
    pair.triangle(UT_Vector3(0, 0, -2), UT_Vector3(0, 1, -2), UT_Vector3(1, 0, -2), UT_Vector3(0, 0, 0),
                  UT_Vector3(0.25f, 0.25f, 0.25f));
    BounceResult twice = trace(pair.gdp, {{0.25f, 0.25f, -1}, kUp}, 2);
    EXPECT_EQ(twice.position, UT_Vector3(0.25f, 0.25f, -2));
    EXPECT_EQ(twice.direction, kUp);
    EXPECT_EQ(twice.surfaceIntensity, UT_Vector3(0.25f, 0.25f, 0.25f));
}

TEST(TraceBounces, NeutralIntensityAndShortPrimitives)
{
    ColliderBuilder c(false);
    c.unitTriangle();
    // A two-vertex primitive before it is skipped, never read past its end.
    const GA_Offset a = c.gdp.appendPointBlock(2);
    c.gdp.appendPolygon({a, a + 1});
    EXPECT_EQ(trace(c.gdp, {{0.25f, 0.25f, -1}, kUp}).surfaceIntensity, UT_Vector3(1, 1, 1));
}

TEST(TraceBounces, RenewsTheCollidersDataIdsOnEveryCall)
{
    ColliderBuilder c;
    c.unitTriangle();
    const int64_t before = c.I->getDataId();
    trace(c.gdp, {{0.25f, 0.25f, -1}, kUp});
    const int64_t once = c.I->getDataId();
    EXPECT_NE(once, before);
    trace(c.gdp, {{0.25f, 0.25f, -1}, kUp});
    EXPECT_NE(c.I->getDataId(), once);
}

TEST(TraceBounces, TwoStepBounceGivesTheOneCallResult)
{
    // Hits with and without an intensity attribute, misses, and a collider
    // lacking a direction attribute (no result at all).
    ColliderBuilder room;
    room.room(2, UT_Vector3(0.3f, 0.6f, 0.9f));
    ColliderBuilder neutral(false);
    neutral.unitTriangle(UT_Vector3(0.2f, 0.4f, 1.0f));
    ColliderBuilder noDirection;
    noDirection.unitTriangle();
    noDirection.gdp.destroyPointAttribute("N");
    const Ray rays[] = {{kZero, UT_Vector3(0.6f, 0.0f, 0.8f)},
                        {UT_Vector3(0.25f, 0.25f, -1.0f), kUp},
                        {UT_Vector3(0.25f, 0.25f, -1.0f), UT_Vector3(0, 0, -1)},
                        {UT_Vector3(0.1f, -0.3f, 0.5f), UT_Vector3(0.0f, -0.6f, -0.8f)}};
    for (const GU_Detail *gdp : {&room.gdp, &neutral.gdp, &noDirection.gdp})
    {
        const Collider collider(*gdp, SearchMode::Accelerated);
        for (const Ray &ray : rays)
        {
            UT_Vector3 origin = ray.origin, direction = ray.direction;
            const BounceResult expected = traceBounces(origin, direction, collider, 1);
            PendingBounce pending;
            pending.origin = ray.origin;
            pending.direction = ray.direction;
            searchBounce(pending, collider);
            const BounceResult result = finishBounce(pending, collider);
            ASSERT_EQ(result.empty(), expected.empty());
            EXPECT_EQ(result.position, expected.position);
            EXPECT_EQ(result.direction, expected.direction);
            EXPECT_EQ(result.surfaceDirection, expected.surfaceDirection);
            EXPECT_EQ(result.surfaceIntensity, expected.surfaceIntensity);
        }
    }
}
