#include "accel/tests/accel_scenes.h"

#include "accel/collider_bvh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

float uniform(std::mt19937 &rng, float lo, float hi)
{
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

UT_Vector3 randomPoint(std::mt19937 &rng, const UT_Vector3 &corner, float extent)
{
    return UT_Vector3(corner.x() + uniform(rng, 0, extent), corner.y() + uniform(rng, 0, extent),
                      corner.z() + uniform(rng, 0, extent));
}

UT_Vector3 lerp(const UT_Vector3 &a, const UT_Vector3 &b, float f)
{
    return UT_Vector3(a.x() + (b.x() - a.x()) * f, a.y() + (b.y() - a.y()) * f,
                      a.z() + (b.z() - a.z()) * f);
}

}  // namespace

UT_Vector3 unitDirection(float x, float y, float z)
{
    UT_Vector3 d(x, y, z);
    safeNormalize(d);
    return d;
}

std::vector<Triangle> gridMesh(int nx, int ny, const UT_Vector3 &corner, float step, float bumps,
                               std::mt19937 &rng)
{
    std::vector<UT_Vector3> points;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i)
            points.emplace_back(corner.x() + i * step, corner.y() + j * step,
                                corner.z() + (bumps > 0 ? uniform(rng, -bumps, bumps) : 0.0f));
    std::vector<Triangle> triangles;
    const auto at = [&](int i, int j) { return points[size_t(j) * (nx + 1) + i]; };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
        {
            // Counter-clockwise from +z, so met by rays travelling towards +z.
            triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    return triangles;
}

std::vector<Triangle> triangleSoup(int count, const UT_Vector3 &corner, float extent, float size,
                                   std::mt19937 &rng)
{
    std::vector<Triangle> triangles;
    for (int k = 0; k < count; ++k)
    {
        const UT_Vector3 p = randomPoint(rng, corner, extent);
        const float s = size * uniform(rng, 0.05f, 1.0f);
        triangles.push_back({p,
                             UT_Vector3(p.x() + uniform(rng, -s, s), p.y() + uniform(rng, -s, s),
                                        p.z() + uniform(rng, -s, s)),
                             UT_Vector3(p.x() + uniform(rng, -s, s), p.y() + uniform(rng, -s, s),
                                        p.z() + uniform(rng, -s, s))});
    }
    return triangles;
}

std::vector<Triangle> needles(int count, const UT_Vector3 &corner, float extent, float size,
                              std::mt19937 &rng)
{
    std::vector<Triangle> triangles;
    for (int k = 0; k < count; ++k)
    {
        const UT_Vector3 a = randomPoint(rng, corner, extent);
        const UT_Vector3 axis =
            unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        const UT_Vector3 side =
            unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        const float aspect = std::pow(10.0f, uniform(rng, 1.0f, 7.0f));
        const float along = uniform(rng, -0.5f, 1.5f);  // beyond [0, 1]: an obtuse sliver
        const UT_Vector3 b(a.x() + axis.x() * size, a.y() + axis.y() * size,
                           a.z() + axis.z() * size);
        const float off = size / aspect;
        const UT_Vector3 c(a.x() + axis.x() * size * along + side.x() * off,
                           a.y() + axis.y() * size * along + side.y() * off,
                           a.z() + axis.z() * size * along + side.z() * off);
        triangles.push_back(k % 2 ? Triangle{a, b, c} : Triangle{c, a, b});
    }
    return triangles;
}

std::vector<TestRay> raysAtFeatures(const std::vector<Triangle> &targets, int count,
                                    const UT_Vector3 &corner, float extent, std::mt19937 &rng)
{
    std::vector<TestRay> rays;
    std::uniform_int_distribution<size_t> pick(0, targets.size() - 1);
    for (int k = 0; k < count; ++k)
    {
        const Triangle &t = targets[pick(rng)];
        UT_Vector3 target;
        switch (k % 4)
        {
        case 0:
            target = t[k / 4 % 3];
            break;  // corner
        case 1:
            target = lerp(t[k / 4 % 3], t[(k / 4 + 1) % 3], 0.5f);
            break;  // edge midpoint
        case 2:
            target = lerp(t[k / 4 % 3], t[(k / 4 + 1) % 3], uniform(rng, 0, 1));
            break;
        default:
            target = lerp(lerp(t[0], t[1], uniform(rng, 0, 1)), t[2], uniform(rng, 0, 0.5f));
        }
        const UT_Vector3 o = randomPoint(rng, corner, extent);
        rays.push_back(
            {o, unitDirection(target.x() - o.x(), target.y() - o.y(), target.z() - o.z())});
    }
    return rays;
}

std::vector<TestRay> randomRays(int count, const UT_Vector3 &corner, float extent,
                                std::mt19937 &rng)
{
    std::vector<TestRay> rays;
    for (int k = 0; k < count; ++k)
        rays.push_back(
            {randomPoint(rng, corner, extent),
             unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1))});
    return rays;
}

std::vector<TestRay> grazingRays(int count, const UT_Vector3 &corner, float extent, float height,
                                 std::mt19937 &rng)
{
    std::vector<TestRay> rays;
    for (int k = 0; k < count; ++k)
    {
        const float above = std::pow(10.0f, uniform(rng, -7.0f, -1.0f)) * (k % 2 ? 1 : -1);
        const float tilt = std::pow(10.0f, uniform(rng, -8.0f, -2.0f));
        const UT_Vector3 o(corner.x() + uniform(rng, 0, extent),
                           corner.y() + uniform(rng, 0, extent), height + above);
        rays.push_back(
            {o, unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), above < 0 ? tilt : -tilt)});
    }
    return rays;
}

int countDisagreements(const std::vector<Triangle> &triangles,
                       const std::vector<int64_t> &primitiveIndex, const std::vector<TestRay> &rays,
                       int *hits)
{
    ColliderBvh bvh;
    EXPECT_TRUE(bvh.build(triangles, primitiveIndex));
    int disagreements = 0;
    int found = 0;
    for (const TestRay &ray : rays)
    {
        NearestHit expected{-1, {}};
        NearestHit actual{-1, {}};
        const bool e =
            nearestHitExhaustive(triangles, primitiveIndex, ray.origin, ray.direction, expected);
        const bool a = bvh.nearestHit(ray.origin, ray.direction, actual);
        found += e;
        const bool same =
            e == a && (!e || (expected.primitive == actual.primitive &&
                              std::memcmp(&expected.hit, &actual.hit, sizeof(TriangleHit)) == 0));
        if (!same && ++disagreements <= 5)
            ADD_FAILURE() << "ray (" << ray.origin.x() << ", " << ray.origin.y() << ", "
                          << ray.origin.z() << ") along (" << ray.direction.x() << ", "
                          << ray.direction.y() << ", " << ray.direction.z() << "): exhaustive "
                          << (e ? expected.primitive : -1) << " d2 " << expected.hit.squaredDistance
                          << ", accelerated " << (a ? actual.primitive : -1) << " d2 "
                          << actual.hit.squaredDistance;
    }
    if (hits)
        *hits = found;
    return disagreements;
}
