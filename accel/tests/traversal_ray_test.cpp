#include "accel/traversal_ray.h"

#include "accel/nearest_hit.h"
#include "accel/rounding_bounds.h"
#include "accel/tests/accel_scenes.h"
#include "accel/triangle_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace
{

const float kInf = std::numeric_limits<float>::infinity();
const float kNan = std::numeric_limits<float>::quiet_NaN();

// The radius the structure computes: the largest corner of the box around
// every bounded triangle's box.
double boxRadius(const std::vector<Triangle> &triangles)
{
    double extreme[3] = {0.0, 0.0, 0.0};
    for (const Triangle &t : triangles)
    {
        const TriangleClass c = classifyTriangle(t);
        if (c.fate != TriangleFate::Bounded)
            continue;
        for (int k = 0; k < 3; ++k)
            extreme[k] = std::max({extreme[k], std::fabs(double(c.box.lo[k])), std::fabs(double(c.box.hi[k]))});
    }
    return std::sqrt(extreme[0] * extreme[0] + extreme[1] * extreme[1] + extreme[2] * extreme[2]);
}

}  // namespace

// The walk starts with its reach cut to where the ray leaves the ball around
// the scene, without testing the scene's box: every hit must lie within it,
// from origins inside the scene, beside it and far from it.
TEST(PrepareTraversal, StartingReachHoldsEveryHit)
{
    struct Case
    {
        const char *name;
        UT_Vector3 sceneCorner;
        float sceneExtent;
        UT_Vector3 rayCorner;
        float rayExtent;
    };
    const Case cases[] = {
        {"origins among the triangles", UT_Vector3(-5, -5, -5), 10, UT_Vector3(-5, -5, -5), 10},
        {"origins far around a central scene", UT_Vector3(-5, -5, -5), 10, UT_Vector3(-500, -500, -500), 1000},
        {"scene far from the coordinate origin", UT_Vector3(1e4f, 2e4f, -3e4f), 10, UT_Vector3(-20, -20, -20), 40},
        {"origins far beyond a distant scene", UT_Vector3(1e4f, 2e4f, -3e4f), 10, UT_Vector3(3e4f, 5e4f, -7e4f), 100},
    };
    std::mt19937 rng(77);
    for (const Case &c : cases)
    {
        const std::vector<Triangle> triangles = triangleSoup(200, c.sceneCorner, c.sceneExtent, 3.0f, rng);
        const double radius = boxRadius(triangles);
        int hits = 0;
        for (const TestRay &r : raysAtFeatures(triangles, 400, c.rayCorner, c.rayExtent, rng))
        {
            NearestHit hit;
            if (!nearestHitExhaustive(triangles, {}, r.origin, r.direction, hit))
                continue;
            ++hits;
            TraversalRay walk;
            ASSERT_TRUE(prepareTraversal(r.origin, r.direction, radius, walk)) << c.name;
            double distance2 = 0.0;
            for (int k = 0; k < 3; ++k)
            {
                const double d = double(hit.hit.point[k]) - double(r.origin[k]);
                distance2 += d * d;
            }
            EXPECT_LE(std::sqrt(distance2), double(walk.reach)) << c.name;
        }
        EXPECT_GT(hits, 50) << c.name;
    }
}

// The walk's margins rest on an upper bound of |1 - 1/|d||; it must hold for
// every length the walk accepts, and stay close enough to be useful.
TEST(PrepareTraversal, BoundsTheScaleErrorOfEveryAcceptedLength)
{
    const double lengthFactors[] = {1.0,           1.0 + 0x1p-23, 1.0 - 0x1p-23, 1.0 + 0x1p-12, 1.0 - 0x1p-12,
                                    1.0 + 0x1p-11, 1.0 - 0x1p-11, 1.0 + 0.0009,  1.0 - 0.0009};
    const UT_Vector3 axes[] = {UT_Vector3(1, 0, 0), UT_Vector3(0.6f, -0.8f, 0), UT_Vector3(0.48f, 0.6f, -0.64f)};
    for (const UT_Vector3 &axis : axes)
        for (double factor : lengthFactors)
        {
            const UT_Vector3 d(float(axis.x() * factor), float(axis.y() * factor), float(axis.z() * factor));
            TraversalRay ray;
            ASSERT_TRUE(prepareTraversal(UT_Vector3(1, 2, 3), d, 10.0, ray)) << factor;
            const long double len2 =
                (long double)d.x() * d.x() + (long double)d.y() * d.y() + (long double)d.z() * d.z();
            const long double eta = std::fabs(1.0L - 1.0L / std::sqrt(len2));
            const long double floor = eta + 4.0L * roundingBounds::kUnit;
            EXPECT_GE((long double)ray.scaleError, floor) << factor;
            EXPECT_LE((long double)ray.scaleError, floor * 1.01L + 0x1p-40L) << factor;
        }
}

TEST(PrepareTraversal, LeavesRaysItCannotBoundToTheExhaustiveSearch)
{
    struct Case
    {
        const char *name;
        UT_Vector3 origin;
        UT_Vector3 direction;
        bool walked;
    };
    const Case cases[] = {
        {"unit ray", UT_Vector3(1, 2, 3), UT_Vector3(0, 0, 1), true},
        {"origin at the coordinate limit", UT_Vector3(0x1p40f, 0, 0), UT_Vector3(0, 1, 0), true},
        {"origin beyond the coordinate limit", UT_Vector3(0x1p41f, 0, 0), UT_Vector3(0, 1, 0), false},
        {"infinite origin", UT_Vector3(0, -kInf, 0), UT_Vector3(0, 1, 0), false},
        {"NaN origin", UT_Vector3(0, 0, kNan), UT_Vector3(0, 1, 0), false},
        {"infinite direction", UT_Vector3(0, 0, 0), UT_Vector3(kInf, 0, 0), false},
        {"NaN direction", UT_Vector3(0, 0, 0), UT_Vector3(0, kNan, 0), false},
        {"huge direction", UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1e30f), false},
        {"direction 1% long", UT_Vector3(0, 0, 0), UT_Vector3(0, 0, 1.01f), false},
        {"direction 1% short", UT_Vector3(0, 0, 0), UT_Vector3(0.99f, 0, 0), false},
    };
    for (const Case &c : cases)
    {
        TraversalRay ray;
        EXPECT_EQ(prepareTraversal(c.origin, c.direction, 10.0, ray), c.walked) << c.name;
    }
}

// The margins and reaches take the origin's distance from a cheap bound and
// the starting reach from the root of the 1e10 bound taken once: both must
// stay at or above what they stand for, at every magnitude.
TEST(PrepareTraversal, OriginBoundAndStartingReachAreUpperBounds)
{
    const UT_Vector3 origins[] = {UT_Vector3(3, 4, 0),         UT_Vector3(1e-30f, 1, 0),
                                  UT_Vector3(0, 0, 0),         UT_Vector3(-0x1p40f, 0x1p40f, -0x1p40f),
                                  UT_Vector3(1e6f, -1e-6f, 7), UT_Vector3(0.1f, 0.2f, 0.3f)};
    for (const UT_Vector3 &o : origins)
    {
        TraversalRay ray;
        // A scene radius that leaves the distance bound as the only limit.
        ASSERT_TRUE(prepareTraversal(o, UT_Vector3(0, 0.6f, 0.8f), 1e30, ray));
        const long double norm =
            std::sqrt((long double)o.x() * o.x() + (long double)o.y() * o.y() + (long double)o.z() * o.z());
        EXPECT_GE((long double)ray.originNorm, norm) << o.x() << " " << o.y() << " " << o.z();
        EXPECT_GE(double(ray.reach), reachForSquaredDistance(ray, BestHit().squaredDistance)) << o.x();
        EXPECT_GE(double(ray.reach), 1e5) << o.x();
    }
}
