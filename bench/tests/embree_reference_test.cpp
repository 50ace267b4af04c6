#include "bench/embree_reference.h"

#include "accel/nearest_hit.h"
#include "bench/room_scene.h"

#include <gtest/gtest.h>

namespace
{

// Unit square corners in the plane z = height, as two triangles whose
// winding normal points along +z (or -z when flipped).
void addSquare(std::vector<UT_Vector3> &points, std::vector<std::array<int32_t, 3>> &triangles, float height,
               bool flipped)
{
    const int32_t first = int32_t(points.size());
    points.emplace_back(0.0f, 0.0f, height);
    points.emplace_back(1.0f, 0.0f, height);
    points.emplace_back(1.0f, 1.0f, height);
    points.emplace_back(0.0f, 1.0f, height);
    if (flipped)
    {
        triangles.push_back({first, first + 2, first + 1});
        triangles.push_back({first, first + 3, first + 2});
    }
    else
    {
        triangles.push_back({first, first + 1, first + 2});
        triangles.push_back({first, first + 2, first + 3});
    }
}

struct SideCase
{
    const char *name;
    UT_Vector3 origin, direction;
    int64_t oneSidedTriangle;  // -1: no hit
    float oneSidedDistance;
    int64_t twoSidedTriangle;
    float twoSidedDistance;
};

// Two squares: at z = 1 facing rays that travel up (triangles 0, 1), and at
// z = 2 facing rays that travel down (triangles 2, 3).
TEST(EmbreeReference, KeepsOnlyHitsAlongTheWindingNormal)
{
    std::vector<UT_Vector3> points;
    std::vector<std::array<int32_t, 3>> triangles;
    addSquare(points, triangles, 1.0f, false);
    addSquare(points, triangles, 2.0f, true);

    const SideCase cases[] = {
        {"upwards meets the lower square's front", {0.75f, 0.25f, 0.0f}, {0, 0, 1}, 0, 1.0f, 0, 1.0f},
        {"downwards meets the upper square's front", {0.75f, 0.25f, 3.0f}, {0, 0, -1}, 2, 1.0f, 2, 1.0f},
        // Between the squares each first meets a back face, which one-sided
        // tracing must pass through rather than stop at or report as a miss.
        {"upwards from between passes a back face", {0.25f, 0.75f, 1.5f}, {0, 0, 1}, -1, 0.0f, 3, 0.5f},
        {"downwards from between passes a back face", {0.25f, 0.75f, 1.5f}, {0, 0, -1}, -1, 0.0f, 1, 0.5f},
        {"upwards from below both stops at the first", {0.25f, 0.75f, -1.0f}, {0, 0, 1}, 1, 2.0f, 1, 2.0f},
        {"beside the squares", {3.0f, 3.0f, 0.0f}, {0, 0, 1}, -1, 0.0f, -1, 0.0f},
    };
    for (const Sidedness sidedness : {Sidedness::OneSided, Sidedness::TwoSided})
    {
        EmbreeReference embree;
        std::string error;
        ASSERT_TRUE(embree.build(points, triangles, sidedness, error)) << error;
        for (const SideCase &c : cases)
        {
            SCOPED_TRACE(c.name);
            EmbreeHit hit;
            embree.trace(&c.origin, &c.direction, 1, &hit);
            const bool one = sidedness == Sidedness::OneSided;
            const int64_t triangle = one ? c.oneSidedTriangle : c.twoSidedTriangle;
            EXPECT_EQ(hit.triangle, triangle) << embree.sidednessMethod();
            if (triangle >= 0)
            {
                EXPECT_FLOAT_EQ(hit.distance, one ? c.oneSidedDistance : c.twoSidedDistance);
            }
        }
    }
}

TEST(EmbreeReference, TracesNothingBeforeABuild)
{
    const EmbreeReference embree;
    const UT_Vector3 origin(0, 0, 0), direction(0, 0, 1);
    EmbreeHit hit{7, 1.0f};
    embree.trace(&origin, &direction, 1, &hit);
    EXPECT_EQ(hit.triangle, -1);
}

// The reference must find the node's nearest triangle: the exact search is
// the definition. Rays that cross an edge shared by two triangles may name
// either one, so a few disagreements are allowed, never many.
TEST(EmbreeReference, FindsTheExactSearchesNearestTriangleInTheRoom)
{
    const RoomScene scene = makeRoomScene(3000);
    const std::vector<SceneRay> rays = makeRoomRays(scene, 2000);
    EmbreeReference embree;
    std::string error;
    ASSERT_TRUE(embree.build(scene.points, scene.triangles, Sidedness::OneSided, error)) << error;

    const std::vector<Triangle> triangles = sceneTriangles(scene);
    int agreeing = 0, missed = 0;
    for (const SceneRay &ray : rays)
    {
        EmbreeHit hit;
        embree.trace(&ray.origin, &ray.direction, 1, &hit);
        NearestHit exact;
        ASSERT_TRUE(nearestHitExhaustive(triangles, {}, ray.origin, ray.direction, exact));
        missed += hit.triangle < 0;
        agreeing += hit.triangle == exact.primitive;
        if (hit.triangle == exact.primitive)
        {
            EXPECT_NEAR(double(hit.distance) * hit.distance, exact.hit.squaredDistance,
                        1e-3 * exact.hit.squaredDistance + 1e-4);
        }
    }
    EXPECT_EQ(missed, 0);  // the room is closed
    EXPECT_GE(agreeing, 1990);
}

}  // namespace
