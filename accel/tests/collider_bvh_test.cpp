#include "accel/collider_bvh.h"

#include "accel/tests/accel_scenes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <thread>

namespace
{

struct Scene
{
    std::vector<Triangle> triangles;
    std::vector<int64_t> primitiveIndex;
    std::vector<TestRay> rays;
};

void append(std::vector<Triangle> &to, const std::vector<Triangle> &from)
{
    to.insert(to.end(), from.begin(), from.end());
}
void append(std::vector<TestRay> &to, const std::vector<TestRay> &from)
{
    to.insert(to.end(), from.begin(), from.end());
}

// A grid at `height` seen from below and above, with rays at its shared
// corners and edges, grazing rays and random ones.
Scene gridScene(const UT_Vector3 &corner, float step, float bumps, int rays, std::mt19937 &rng)
{
    Scene s;
    s.triangles = gridMesh(24, 24, corner, step, bumps, rng);
    const float extent = 24 * step;
    const UT_Vector3 below(corner.x() - extent / 2, corner.y() - extent / 2, corner.z() - extent);
    append(s.rays, raysAtFeatures(s.triangles, rays, below, 2 * extent, rng));
    append(s.rays, grazingRays(rays / 4, corner, extent, corner.z(), rng));
    append(s.rays, randomRays(rays / 4, below, 2 * extent, rng));
    return s;
}

// Rays that the structure hands to the exhaustive path, or answers at once.
void addUnusualRays(Scene &s, const UT_Vector3 &at)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const UT_Vector3 &d : {UT_Vector3(0, 0, 2), UT_Vector3(0.1f, 0.2f, 0.5f), UT_Vector3(0, 0, 1e-30f),
                                UT_Vector3(0, 0, 0), UT_Vector3(0, nan, 1), UT_Vector3(0, 0, inf)})
        s.rays.push_back({at, d});
    s.rays.push_back({UT_Vector3(at.x(), inf, at.z()), UT_Vector3(0, 0, 1)});
    s.rays.push_back({UT_Vector3(at.x(), at.y(), -1e13f), UT_Vector3(0, 0, 1)});
}

struct SceneCase
{
    const char *name;
    std::function<Scene(std::mt19937 &)> make;
};

const std::vector<SceneCase> &sceneCases()
{
    static const std::vector<SceneCase> cases = {
        {"FlatGridEdgesAndCorners",
         [](std::mt19937 &rng) {
             Scene s = gridScene(UT_Vector3(-6, -6, 0), 0.5f, 0.0f, 1000, rng);
             addUnusualRays(s, UT_Vector3(0.1f, 0.1f, -1));
             return s;
         }},
        {"BumpyGrid", [](std::mt19937 &rng) { return gridScene(UT_Vector3(-6, -6, 0), 0.5f, 0.05f, 600, rng); }},
        {"DuplicatedAndCoplanar",
         [](std::mt19937 &rng) {
             Scene s = gridScene(UT_Vector3(-3, -3, 1), 0.25f, 0.0f, 500, rng);
             const std::vector<Triangle> grid = s.triangles;
             append(s.triangles, grid);  // exact duplicates, later in the list
             append(s.triangles, gridMesh(24, 24, UT_Vector3(-2.875f, -2.875f, 1), 0.25f, 0.0f, rng));
             std::vector<Triangle> reversed(grid.rbegin(), grid.rend());
             s.triangles.insert(s.triangles.begin(), reversed.begin(), reversed.end());
             for (size_t i = 0; i < s.triangles.size(); ++i)
                 s.primitiveIndex.push_back(int64_t(3 * i + 1));
             return s;
         }},
        {"Soup",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = triangleSoup(2000, UT_Vector3(-5, -5, -5), 10, 1.5f, rng);
             s.rays = raysAtFeatures(s.triangles, 700, UT_Vector3(-6, -6, -6), 12, rng);
             append(s.rays, randomRays(300, UT_Vector3(-6, -6, -6), 12, rng));
             return s;
         }},
        {"NeedlesAndSlivers",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = needles(1500, UT_Vector3(-5, -5, -5), 10, 3, rng);
             append(s.triangles, triangleSoup(300, UT_Vector3(-5, -5, -5), 10, 1, rng));
             s.rays = raysAtFeatures(s.triangles, 1000, UT_Vector3(-6, -6, -6), 12, rng);
             return s;
         }},
        {"FarFromOrigin1e4",
         [](std::mt19937 &rng) { return gridScene(UT_Vector3(1e4f, -2e4f, 1.5e4f), 0.5f, 0.02f, 1000, rng); }},
        {"FarFromOrigin1e5",
         [](std::mt19937 &rng) {
             Scene s = gridScene(UT_Vector3(1e5f, 1e5f, -1e5f), 2.0f, 0.1f, 800, rng);
             append(s.triangles, triangleSoup(500, UT_Vector3(1e5f, 1e5f, -1e5f - 20), 40, 4, rng));
             return s;
         }},
        {"TinyTriangles",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = triangleSoup(1000, UT_Vector3(0, 0, 0), 0.01f, 1e-4f, rng);
             append(s.triangles, triangleSoup(600, UT_Vector3(100, 100, 100), 0.01f, 1e-4f, rng));
             s.rays = raysAtFeatures(s.triangles, 800, UT_Vector3(-0.01f, -0.01f, -0.01f), 0.03f, rng);
             append(s.rays, raysAtFeatures(s.triangles, 300, UT_Vector3(99.9f, 99.9f, 99.9f), 0.2f, rng));
             return s;
         }},
        {"NonFiniteAndHugeCoordinates",
         [](std::mt19937 &rng) {
             Scene s = gridScene(UT_Vector3(-6, -6, 0), 0.5f, 0.01f, 600, rng);
             const float inf = std::numeric_limits<float>::infinity();
             const float nan = std::numeric_limits<float>::quiet_NaN();
             const std::vector<Triangle> odd = {
                 {UT_Vector3(0, 0, 0.5f), UT_Vector3(inf, 1, 1), UT_Vector3(1, 2, 3)},
                 {UT_Vector3(nan, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0)},
                 {UT_Vector3(-1e13f, -1e13f, 2), UT_Vector3(1e13f, -1e13f, 2), UT_Vector3(0, 1e13f, 2)},
                 {UT_Vector3(-3e38f, -3e38f, 3), UT_Vector3(3e38f, -3e38f, 3), UT_Vector3(0, 3e38f, 3)},
                 {UT_Vector3(0, 0, 0.25f), UT_Vector3(1, 1e-7f, 0.25f), UT_Vector3(3, 3e-7f, 0.25f)},
             };
             for (size_t k = 0; k < odd.size(); ++k)
                 s.triangles.insert(s.triangles.begin() + 97 * k, odd[k]);
             return s;
         }},
        {"ClosedRoomFromInside",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = closedRoom(rng);
             append(s.triangles, triangleSoup(1000, UT_Vector3(-4, -4, -4), 8, 1, rng));
             s.rays = randomRays(800, UT_Vector3(-5, -5, -5), 10, rng);
             append(s.rays, raysAtFeatures(s.triangles, 300, UT_Vector3(-5, -5, -5), 10, rng));
             return s;
         }},
        {"DirectionsSlightlyOffUnitLength",
         [](std::mt19937 &rng) {
             // The hit point is stepped |t| along the normalised direction
             // while t was computed with the direction as passed, so it lands
             // off the plane by |1 - 1/|d|| times the distance travelled:
             // rays from near the origin to a grid 2e4 away.
             Scene s;
             const UT_Vector3 corner(-6, -6, 2e4f);
             s.triangles = gridMesh(24, 24, corner, 0.5f, 0.02f, rng);
             s.rays = raysAtFeatures(s.triangles, 1200, UT_Vector3(-20, -20, -20), 40, rng);
             const float scales[] = {1 + 1e-6f, 1 - 3e-6f, 1 + 2e-5f, 1 - 1e-4f, 1 + 6e-4f, 1 - 1.5e-3f};
             for (size_t i = 0; i < s.rays.size(); ++i)
             {
                 const float f = scales[i % 6];
                 UT_Vector3 &d = s.rays[i].direction;
                 d = UT_Vector3(d.x() * f, d.y() * f, d.z() * f);
             }
             return s;
         }},
        {"RaysLeavingSurfacesOfARoom",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = closedRoom(rng);
             append(s.triangles, triangleSoup(600, UT_Vector3(-4, -4, -4), 8, 1, rng));
             append(s.triangles, needles(200, UT_Vector3(-4, -4, -4), 8, 1, rng));
             std::vector<TestRay> incoming = randomRays(1200, UT_Vector3(-5, -5, -5), 10, rng);
             append(incoming, raysAtFeatures(s.triangles, 800, UT_Vector3(-5, -5, -5), 10, rng));
             s.rays = raysLeavingSurfaces(s.triangles, incoming, rng);
             return s;
         }},
        {"RaysLeavingABumpyGridFarFromOrigin",
         [](std::mt19937 &rng) {
             Scene s;
             const UT_Vector3 corner(3e4f, -1e4f, 2e4f);
             s.triangles = gridMesh(24, 24, corner, 0.5f, 0.05f, rng);
             append(s.triangles, gridMesh(24, 24, UT_Vector3(corner.x(), corner.y(), corner.z() + 3), 0.5f, 0.0f, rng));
             // A floor facing up at the rays mirrored down off the grid.
             for (Triangle t : gridMesh(24, 24, UT_Vector3(corner.x(), corner.y(), corner.z() - 3), 0.5f, 0.0f, rng))
             {
                 std::swap(t[1], t[2]);
                 s.triangles.push_back(t);
             }
             const UT_Vector3 below(corner.x(), corner.y(), corner.z() - 6);
             const std::vector<TestRay> incoming = raysAtFeatures(s.triangles, 2000, below, 12, rng);
             s.rays = raysLeavingSurfaces(s.triangles, incoming, rng);
             return s;
         }},
        {"NearTheDistanceBound",
         [](std::mt19937 &rng) {
             Scene s;
             s.triangles = gridMesh(8, 8, UT_Vector3(-4, -4, 0), 1, 0.5f, rng);
             for (int k = 0; k < 600; ++k)
             {
                 const float away = 99990.0f + float(k % 40) * 0.5f;
                 const UT_Vector3 o(float(k % 7) - 3, float(k % 5) - 2, -away);
                 s.rays.push_back({o, unitDirection(float(k % 3) * 1e-5f, float(k % 11) * 1e-6f, 1)});
             }
             return s;
         }},
    };
    return cases;
}

class ColliderBvhEquivalence : public ::testing::TestWithParam<size_t>
{};

}  // namespace

TEST_P(ColliderBvhEquivalence, AgreesWithExhaustiveSearchBitForBit)
{
    std::mt19937 rng(1000 + unsigned(GetParam()));
    const Scene scene = sceneCases()[GetParam()].make(rng);
    int hits = 0;
    EXPECT_EQ(countDisagreements(scene.triangles, scene.primitiveIndex, scene.rays, &hits), 0);
    EXPECT_GT(hits, int(scene.rays.size() / 10));  // the scene is not trivially missed
}

INSTANTIATE_TEST_SUITE_P(Scenes, ColliderBvhEquivalence, ::testing::Range<size_t>(0, sceneCases().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) { return sceneCases()[info.param].name; });

TEST(ColliderBvh, RefusesMismatchedIndexAndThenReportsNoHits)
{
    ColliderBvh bvh;
    const std::vector<Triangle> one = {{UT_Vector3(0, 0, 1), UT_Vector3(1, 0, 1), UT_Vector3(0, 1, 1)}};
    ASSERT_TRUE(bvh.build(one));
    NearestHit hit{-5, {}};
    EXPECT_TRUE(bvh.nearestHit(UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1), hit));
    EXPECT_FALSE(bvh.build(one, {1, 2}));
    hit.primitive = -5;
    EXPECT_FALSE(bvh.nearestHit(UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1), hit));
    EXPECT_EQ(hit.primitive, -5);
    EXPECT_TRUE(bvh.build({}));
    EXPECT_FALSE(bvh.nearestHit(UT_Vector3(0.25f, 0.25f, 0), UT_Vector3(0, 0, 1), hit));
}

TEST(ColliderBvh, ThreadsShareOneStructure)
{
    std::mt19937 rng(77);
    const std::vector<Triangle> triangles = triangleSoup(4000, UT_Vector3(-5, -5, -5), 10, 1, rng);
    const std::vector<TestRay> rays = randomRays(4000, UT_Vector3(-5, -5, -5), 10, rng);
    ColliderBvh bvh;
    ASSERT_TRUE(bvh.build(triangles));
    std::vector<NearestHit> serial(rays.size(), NearestHit{-1, {}});
    for (size_t i = 0; i < rays.size(); ++i)
        bvh.nearestHit(rays[i].origin, rays[i].direction, serial[i]);
    std::vector<NearestHit> parallel(rays.size(), NearestHit{-1, {}});
    const auto run = [&](size_t first) {
        for (size_t i = first; i < rays.size(); i += 2)
            bvh.nearestHit(rays[i].origin, rays[i].direction, parallel[i]);
    };
    std::thread a(run, 0), b(run, 1);
    a.join();
    b.join();
    EXPECT_EQ(std::memcmp(serial.data(), parallel.data(), serial.size() * sizeof(NearestHit)), 0);
}

TEST(ColliderBvh, CountsItsMemoryAndDropsAnIdentityIndex)
{
    std::mt19937 rng(4);
    const std::vector<Triangle> triangles = triangleSoup(10000, UT_Vector3(0, 0, 0), 10, 0.5f, rng);
    std::vector<int64_t> identity(triangles.size());
    for (size_t i = 0; i < identity.size(); ++i)
        identity[i] = int64_t(i);
    ColliderBvh plain, indexed;
    ASSERT_TRUE(plain.build(triangles));
    ASSERT_TRUE(indexed.build(triangles, identity));
    EXPECT_EQ(plain.memoryBytes(), indexed.memoryBytes());
    EXPECT_EQ(plain.boundedCount() + plain.alwaysTestedCount(), triangles.size());
    EXPECT_LT(plain.memoryBytes(), 64 * triangles.size());
}
