#include "accel/facing_cone.h"

#include "accel/tests/accel_scenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{

// Directions that probe a cone's edge: for every triangle, the float normal
// turned by 90 degrees less or more a small angle (so that the front-face
// test is decided by rounding, on either side), along and against the
// normal, and random ones; each also scaled to the ends of the lengths the
// walk accepts.
std::vector<UT_Vector3> probeDirections(const std::vector<Triangle> &triangles, std::mt19937 &rng)
{
    std::uniform_real_distribution<float> any(-1, 1);
    const float tilts[] = {0.0f, 1e-8f, -1e-8f, 1e-7f, -1e-7f, 1e-6f, -1e-6f, 3e-5f, -3e-5f, 1e-3f, -1e-3f};
    std::vector<UT_Vector3> directions;
    for (const Triangle &t : triangles)
    {
        const UT_Vector3 m = cross(sub(t[2], t[0]), sub(t[1], t[0]));
        const UT_Vector3 normal = unitDirection(m.x(), m.y(), m.z());
        const UT_Vector3 edge = unitDirection(t[2].x() - t[1].x(), t[2].y() - t[1].y(), t[2].z() - t[1].z());
        for (const float tilt : tilts)
            directions.push_back(unitDirection(edge.x() + tilt * normal.x(), edge.y() + tilt * normal.y(),
                                               edge.z() + tilt * normal.z()));
        directions.push_back(normal);
        directions.push_back(UT_Vector3(-normal.x(), -normal.y(), -normal.z()));
        directions.push_back(unitDirection(any(rng), any(rng), any(rng)));
    }
    const size_t unit = directions.size();
    for (size_t i = 0; i < unit; ++i)
        for (const float scale : {1.0f - 0x1p-10f, 1.0f + 0x1p-10f})
        {
            const UT_Vector3 &d = directions[i];
            directions.push_back(UT_Vector3(d.x() * scale, d.y() * scale, d.z() * scale));
        }
    return directions;
}

struct ConeCase
{
    const char *name;
    std::function<std::vector<Triangle>(std::mt19937 &)> make;
    bool expectSkips;  // some probes must be skipped (the triangles share a side)
};

const std::vector<ConeCase> &coneCases()
{
    static const std::vector<ConeCase> cases = {
        {"FlatGrid", [](std::mt19937 &rng) { return gridMesh(4, 4, UT_Vector3(-1, -1, 2), 0.5f, 0.0f, rng); }, true},
        {"BumpyGrid", [](std::mt19937 &rng) { return gridMesh(4, 4, UT_Vector3(-1, -1, 2), 0.5f, 0.1f, rng); }, true},
        {"FlatGridFarFromOrigin",
         [](std::mt19937 &rng) { return gridMesh(4, 4, UT_Vector3(1e5f, -3e4f, 7e4f), 0.01f, 0.0f, rng); }, true},
        {"TiltedWall",
         [](std::mt19937 &rng) {
             std::vector<Triangle> wall = gridMesh(4, 4, UT_Vector3(0, 0, 0), 1.0f, 0.0f, rng);
             for (Triangle &t : wall)
                 for (UT_Vector3 &p : t)
                     p = UT_Vector3(p.x() * 0.6f + p.y() * 0.3f, p.y() * 0.8f, p.x() * 0.8f - 0.7f * p.y());
             return wall;
         },
         true},
        {"Soup", [](std::mt19937 &rng) { return triangleSoup(16, UT_Vector3(0, 0, 0), 2, 1, rng); }, false},
        {"Slivers", [](std::mt19937 &rng) { return needles(16, UT_Vector3(0, 0, 0), 2, 1, rng); }, false},
    };
    return cases;
}

class FacingConeSoundness : public ::testing::TestWithParam<size_t>
{};

}  // namespace

// A child is skipped only when the front-face test rejects every one of its
// triangles: for leaves of up to eight triangles, and for the merged cone of
// all of them, against directions on both sides of every triangle's edge-on
// direction.
TEST_P(FacingConeSoundness, SkipsOnlyTrianglesEveryRayMeetsFromBehind)
{
    std::mt19937 rng(500 + unsigned(GetParam()));
    const std::vector<Triangle> triangles = coneCases()[GetParam()].make(rng);
    std::vector<PackedTriangle> packed;
    for (const Triangle &t : triangles)
        packed.push_back(packTriangle(t, int32_t(packed.size())));

    BvhNode node;
    std::vector<std::pair<size_t, size_t>> ranges;  // child i: packed[first, last)
    std::vector<FacingCone> leaves;
    for (size_t first = 0; first < packed.size() && ranges.size() < kNodeWidth - 1; first += 8)
    {
        const size_t last = std::min(packed.size(), first + 8);
        leaves.push_back(coneOfTriangles(&packed[first], last - first));
        storeCone(node, int(ranges.size()), leaves.back());
        ranges.emplace_back(first, last);
    }
    storeCone(node, int(ranges.size()), mergeCones(leaves.data(), int(leaves.size())));
    ranges.emplace_back(0, ranges.back().second);

    int skips = 0;
    for (const UT_Vector3 &d : probeDirections(triangles, rng))
    {
        const float direction[3] = {d.x(), d.y(), d.z()};
        for (size_t child = 0; child < ranges.size(); ++child)
        {
            if (!facesAway(node, int(child), direction))
                continue;
            ++skips;
            for (size_t k = ranges[child].first; k < ranges[child].second; ++k)
                ASSERT_FALSE(facesRay(d, triangles[k])) << "child " << child << " skipped triangle " << k << " facing ("
                                                        << d.x() << ", " << d.y() << ", " << d.z() << ")";
        }
    }
    if (coneCases()[GetParam()].expectSkips)
    {
        EXPECT_GT(skips, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Triangles, FacingConeSoundness, ::testing::Range<size_t>(0, coneCases().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) { return coneCases()[info.param].name; });

TEST(FacingCone, EmptySlotsAndConesOfOpposedNormalsNeverSkip)
{
    std::mt19937 rng(3);
    std::vector<Triangle> grid = gridMesh(1, 1, UT_Vector3(0, 0, 0), 1.0f, 0.0f, rng);
    Triangle flipped = grid[0];
    std::swap(flipped[1], flipped[2]);
    const PackedTriangle both[2] = {packTriangle(grid[0], 0), packTriangle(flipped, 1)};
    BvhNode node;
    const TriangleBox box{{0, 0, 0}, {1, 1, 1}};
    setChildBoxes(node, &box, 1);
    storeCone(node, 0, coneOfTriangles(both, 2));
    for (const float z : {1.0f, -1.0f})
    {
        const float d[3] = {0, 0, z};
        for (int i = 0; i < kNodeWidth; ++i)
            EXPECT_FALSE(facesAway(node, i, d)) << i;
    }
    // One side alone: the grid faces rays travelling towards +z.
    storeCone(node, 0, coneOfTriangles(both, 1));
    const float up[3] = {0, 0, 1}, down[3] = {0, 0, -1};
    EXPECT_FALSE(facesAway(node, 0, up));
    EXPECT_TRUE(facesAway(node, 0, down));
}
