#include "accel/triangle_bounds.h"

#include "accel/tests/accel_scenes.h"
#include "accel/traversal_ray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

const float kInf = std::numeric_limits<float>::infinity();
const float kNan = std::numeric_limits<float>::quiet_NaN();

Triangle triangle(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2)
{
    return {UT_Vector3(x0, y0, z0), UT_Vector3(x1, y1, z1), UT_Vector3(x2, y2, z2)};
}

// Does the walk's box test, at the reach that a hit of squared distance d2
// implies, still pass the box of the triangle that accepted it?
bool boxAdmitsHit(const Triangle &t, const TestRay &ray, float d2)
{
    double radius = 0.0;
    for (const UT_Vector3 &p : t)
        radius = std::max(radius, std::sqrt(double(dot(p, p))) * 1.001);
    const TriangleBox box = classifyTriangle(t).box;
    TraversalRay walk;
    if (!prepareTraversal(ray.origin, ray.direction, radius, walk))
        return false;
    setReach(walk, reachForSquaredDistance(walk, d2));
    float entry, exit;
    return testBox(walk, box.lo, box.hi, entry, exit);
}

bool outsideCorners(const Triangle &t, const UT_Vector3 &p)
{
    for (int c = 0; c < 3; ++c)
        if (p[c] < std::min({t[0][c], t[1][c], t[2][c]}) || p[c] > std::max({t[0][c], t[1][c], t[2][c]}))
            return true;
    return false;
}

}  // namespace

TEST(ClassifyTriangle, SortsTrianglesByWhatTheirHitsCanDo)
{
    struct Case
    {
        const char *name;
        Triangle triangle;
        TriangleFate fate;
    };
    const std::vector<Case> cases = {
        {"regular", triangle(0, 0, 0, 1, 0, 0, 0, 1, 0), TriangleFate::Bounded},
        {"needle of aspect 100", triangle(0, 0, 0, 1, 0, 0, 0.5f, 0.01f, 0), TriangleFate::Bounded},
        {"small", triangle(0, 0, 0, 1e-6f, 0, 0, 0, 1e-6f, 0), TriangleFate::Bounded},
        {"far from the origin", triangle(1e5f, 1e5f, 0, 1e5f + 1, 1e5f, 0, 1e5f, 1e5f + 1, 0), TriangleFate::Bounded},
        {"exactly collinear", triangle(0, 0, 0, 1, 0, 0, 2, 0, 0), TriangleFate::Never},
        {"two equal corners", triangle(0, 0, 0, 0, 0, 0, 0, 1, 0), TriangleFate::Never},
        {"NaN corner", triangle(kNan, 0, 0, 1, 0, 0, 0, 1, 0), TriangleFate::Never},
        {"sliver of aspect 1e4", triangle(0, 0, 0, 1, 0, 0, 0.5f, 1e-4f, 0), TriangleFate::AlwaysTest},
        {"collinear up to rounding", triangle(0, 0, 0, 1, 1e-7f, 0, 3, 3e-7f, 1e-7f), TriangleFate::AlwaysTest},
        {"tiny", triangle(0, 0, 0, 1e-20f, 0, 0, 0, 1e-20f, 0), TriangleFate::AlwaysTest},
        {"huge coordinates", triangle(1e13f, 0, 0, 1e13f, 1e13f, 0, 0, 1e13f, 0), TriangleFate::AlwaysTest},
        {"infinite corner, finite normal", triangle(0, 0, 0, kInf, 1, 1, 1, 2, 3), TriangleFate::AlwaysTest},
        {"infinite corner, NaN normal", triangle(kInf, 0, 0, kInf, 1, 0, kInf, 0, 1), TriangleFate::Never},
    };
    for (const Case &c : cases)
    {
        const TriangleClass result = classifyTriangle(c.triangle);
        EXPECT_EQ(int(result.fate), int(c.fate)) << c.name;
        if (result.fate != TriangleFate::Bounded)
            continue;
        for (const UT_Vector3 &p : c.triangle)
            for (int k = 0; k < 3; ++k)
            {
                EXPECT_TRUE(result.box.lo[k] < p[k] && p[k] < result.box.hi[k]) << c.name;
            }
    }
}

TEST(ClassifyTriangle, NeverMetTrianglesAcceptNoRay)
{
    std::mt19937 rng(5);
    const std::vector<Triangle> never = {triangle(0, 0, 0, 1, 0, 0, 2, 0, 0), triangle(0, 0, 0, 0, 0, 0, 0, 1, 0),
                                         triangle(kNan, 0, 0, 1, 0, 0, 0, 1, 0),
                                         triangle(0, 0, 0, kInf, 0, 0, 0, 1, 0)};
    for (const Triangle &t : never)
    {
        ASSERT_EQ(int(classifyTriangle(t).fate), int(TriangleFate::Never));
        for (const TestRay &ray : randomRays(500, UT_Vector3(-2, -2, -2), 4, rng))
        {
            TriangleHit hit;
            EXPECT_FALSE(hitTriangle(ray.origin, ray.direction, t, hit));
        }
        TriangleHit hit;
        EXPECT_FALSE(hitTriangle(UT_Vector3(0, 0, -1), UT_Vector3(kInf, kInf, kInf), t, hit));
    }
}

// The property the hierarchy rests on: wherever the exact test accepts a
// hit, the walk's box test passes that triangle's box at the reach the hit's
// distance implies. Rays are aimed at corners and edges of triangles of every
// admitted shape, from near and far, at several distances from the origin.
TEST(ClassifyTriangle, BoxesHoldEveryAcceptedHit)
{
    std::mt19937 rng(17);
    int accepted = 0, beyondCorners = 0;
    for (const float offset : {0.0f, 1e3f, 3e4f, 1e5f})
        for (const float size : {1e-5f, 1e-2f, 1.0f, 30.0f})
        {
            const UT_Vector3 corner(offset, -offset, offset * 0.5f);
            std::vector<Triangle> triangles = needles(40, corner, size, size, rng);
            const std::vector<Triangle> soup = triangleSoup(40, corner, size, size, rng);
            triangles.insert(triangles.end(), soup.begin(), soup.end());
            triangles.erase(
                std::remove_if(triangles.begin(), triangles.end(),
                               [](const Triangle &t) { return classifyTriangle(t).fate != TriangleFate::Bounded; }),
                triangles.end());
            if (triangles.empty())
                continue;  // corners that collapse at this offset
            for (const float reach : {size * 3, 300.0f})
            {
                const UT_Vector3 from(corner.x() - reach, corner.y() - reach, corner.z() - reach);
                for (const TestRay &ray : raysAtFeatures(triangles, 400, from, 2 * reach + size, rng))
                    for (const Triangle &t : triangles)
                    {
                        TriangleHit hit;
                        if (!hitTriangle(ray.origin, ray.direction, t, hit) ||
                            !(double(hit.squaredDistance) < kNoHitSquaredDistance))
                            continue;
                        ++accepted;
                        beyondCorners += outsideCorners(t, hit.point);
                        ASSERT_TRUE(boxAdmitsHit(t, ray, hit.squaredDistance))
                            << "offset " << offset << " size " << size;
                    }
            }
        }
    // The scenes do reach the margins: many accepted points lie outside the
    // box of the corners themselves.
    EXPECT_GT(accepted, 5000);
    EXPECT_GT(beyondCorners, 20);
}
