#include "accel/tests/accel_scenes.h"

#include "accel/collider_bvh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

float uniform(std::mt19937 &rng, float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

UT_Vector3 randomPoint(std::mt19937 &rng, const UT_Vector3 &corner, float extent)
{
    return UT_Vector3(corner.x() + uniform(rng, 0, extent), corner.y() + uniform(rng, 0, extent),
                      corner.z() + uniform(rng, 0, extent));
}

UT_Vector3 lerp(const UT_Vector3 &a, const UT_Vector3 &b, float f)
{
    return UT_Vector3(a.x() + (b.x() - a.x()) * f, a.y() + (b.y() - a.y()) * f, a.z() + (b.z() - a.z()) * f);
}

}  // namespace

UT_Vector3 unitDirection(float x, float y, float z)
{
    UT_Vector3 d(x, y, z);
    safeNormalize(d);
    return d;
}

std::vector<Triangle> gridMesh(int nx, int ny, const UT_Vector3 &corner, float step, float bumps, std::mt19937 &rng)
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

std::vector<Triangle> triangleSoup(int count, const UT_Vector3 &corner, float extent, float size, std::mt19937 &rng)
{
    std::vector<Triangle> triangles;
    for (int k = 0; k < count; ++k)
    {
        const UT_Vector3 p = randomPoint(rng, corner, extent);
        const float s = size * uniform(rng, 0.05f, 1.0f);
        triangles.push_back(
            {p, UT_Vector3(p.x() + uniform(rng, -s, s), p.y() + uniform(rng, -s, s), p.z() + uniform(rng, -s, s)),
             UT_Vector3(p.x() + uniform(rng, -s, s), p.y() + uniform(rng, -s, s), p.z() + uniform(rng, -s, s))});
    }
    return triangles;
}

std::vector<Triangle> needles(int count, const UT_Vector3 &corner, float extent, float size, std::mt19937 &rng)
{
    std::vector<Triangle> triangles;
    for (int k = 0; k < count; ++k)
    {
        const UT_Vector3 a = randomPoint(rng, corner, extent);
        const UT_Vector3 axis = unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        const UT_Vector3 side = unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        const float aspect = std::pow(10.0f, uniform(rng, 1.0f, 7.0f));
        const float along = uniform(rng, -0.5f, 1.5f);  // beyond [0, 1]: an obtuse sliver
        const UT_Vector3 b(a.x() + axis.x() * size, a.y() + axis.y() * size, a.z() + axis.z() * size);
        const float off = size / aspect;
        const UT_Vector3 c(a.x() + axis.x() * size * along + side.x() * off,
                           a.y() + axis.y() * size * along + side.y() * off,
                           a.z() + axis.z() * size * along + side.z() * off);
        triangles.push_back(k % 2 ? Triangle{a, b, c} : Triangle{c, a, b});
    }
    return triangles;
}

std::vector<Triangle> closedRoom(std::mt19937 &rng)
{
    std::vector<Triangle> walls;
    const float size = 12;
    const std::vector<Triangle> floor = gridMesh(16, 16, UT_Vector3(-6, -6, -6), size / 16, 0, rng);
    for (int face = 0; face < 6; ++face)
        for (const Triangle &t : floor)
        {
            Triangle w;
            for (int k = 0; k < 3; ++k)
            {
                const float a = t[k].x(), b = t[k].y();
                const float m = face % 2 ? 6.0f : -6.0f;
                w[k] = face < 2 ? UT_Vector3(a, b, m) : face < 4 ? UT_Vector3(a, m, b) : UT_Vector3(m, a, b);
            }
            // The grid faces +z; mapped onto the six sides it faces inwards
            // on the ceiling and on the y = -6 and x = 6 walls, so the other
            // three sides swap a corner pair.
            if (face == 0 || face == 3 || face == 4)
                std::swap(w[1], w[2]);
            walls.push_back(w);
        }
    return walls;
}

std::vector<TestRay> raysAtFeatures(const std::vector<Triangle> &targets, int count, const UT_Vector3 &corner,
                                    float extent, std::mt19937 &rng)
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
        rays.push_back({o, unitDirection(target.x() - o.x(), target.y() - o.y(), target.z() - o.z())});
    }
    return rays;
}

std::vector<TestRay> randomRays(int count, const UT_Vector3 &corner, float extent, std::mt19937 &rng)
{
    std::vector<TestRay> rays;
    for (int k = 0; k < count; ++k)
        rays.push_back({randomPoint(rng, corner, extent),
                        unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1))});
    return rays;
}

std::vector<TestRay> grazingRays(int count, const UT_Vector3 &corner, float extent, float height, std::mt19937 &rng)
{
    std::vector<TestRay> rays;
    for (int k = 0; k < count; ++k)
    {
        const float above = std::pow(10.0f, uniform(rng, -7.0f, -1.0f)) * (k % 2 ? 1 : -1);
        const float tilt = std::pow(10.0f, uniform(rng, -8.0f, -2.0f));
        const UT_Vector3 o(corner.x() + uniform(rng, 0, extent), corner.y() + uniform(rng, 0, extent), height + above);
        rays.push_back({o, unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), above < 0 ? tilt : -tilt)});
    }
    return rays;
}

std::vector<TestRay> raysLeavingSurfaces(const std::vector<Triangle> &triangles, const std::vector<TestRay> &incoming,
                                         std::mt19937 &rng)
{
    const float tilts[] = {0.0f, 1e-7f, -1e-7f, 1e-6f, -1e-6f, 1e-5f, -1e-5f, 1e-3f, -1e-3f};
    std::vector<TestRay> rays;
    int k = 0;
    for (const TestRay &in : incoming)
    {
        NearestHit hit;
        if (!nearestHitExhaustive(triangles, {}, in.origin, in.direction, hit))
            continue;
        const Triangle &t = triangles[size_t(hit.primitive)];
        // The unit normal on the side the ray came from, and a unit tangent.
        const UT_Vector3 m = cross(sub(t[2], t[0]), sub(t[1], t[0]));
        const UT_Vector3 back = unitDirection(m.x(), m.y(), m.z());
        const UT_Vector3 edge = unitDirection(t[1].x() - t[0].x(), t[1].y() - t[0].y(), t[1].z() - t[0].z());
        UT_Vector3 d;
        switch (k++ % 4)
        {
        case 0:
        {
            const float twice = 2.0f * dot(in.direction, back);
            d = unitDirection(in.direction.x() - twice * back.x(), in.direction.y() - twice * back.y(),
                              in.direction.z() - twice * back.z());
            break;
        }
        case 1:
        {
            d = unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
            if (dot(d, back) < 0.0f)
                d = UT_Vector3(-d.x(), -d.y(), -d.z());
            break;
        }
        case 2:
        {
            const float tilt = tilts[size_t(k / 4) % (sizeof tilts / sizeof tilts[0])];
            d = unitDirection(edge.x() + tilt * back.x(), edge.y() + tilt * back.y(), edge.z() + tilt * back.z());
            break;
        }
        default:
            d = unitDirection(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        }
        rays.push_back({hit.hit.point, d});
    }
    return rays;
}

int countDisagreements(const std::vector<Triangle> &triangles, const std::vector<int64_t> &primitiveIndex,
                       const std::vector<TestRay> &rays, int *hits)
{
    ColliderBvh bvh;
    EXPECT_TRUE(bvh.build(triangles, primitiveIndex));
    int disagreements = 0;
    int found = 0;
    // Every width of child test the processor runs walks the same children.
    std::vector<NodeTestWidth> widths = {NodeTestWidth::Four};
    if (widestNodeTest() != NodeTestWidth::Four)
        widths.push_back(widestNodeTest());
    for (const NodeTestWidth width : widths)
    {
        bvh.setNodeTestWidth(width);
        found = 0;
        for (const TestRay &ray : rays)
        {
            NearestHit expected{-1, {}};
            NearestHit actual{-1, {}};
            const bool e = nearestHitExhaustive(triangles, primitiveIndex, ray.origin, ray.direction, expected);
            const bool a = bvh.nearestHit(ray.origin, ray.direction, actual);
            found += e;
            const bool same = e == a && (!e || (expected.primitive == actual.primitive &&
                                                std::memcmp(&expected.hit, &actual.hit, sizeof(TriangleHit)) == 0));
            if (!same && ++disagreements <= 5)
                ADD_FAILURE() << "ray (" << ray.origin.x() << ", " << ray.origin.y() << ", " << ray.origin.z()
                              << ") along (" << ray.direction.x() << ", " << ray.direction.y() << ", "
                              << ray.direction.z() << "), " << (width == NodeTestWidth::Four ? 4 : 8)
                              << " lanes: exhaustive " << (e ? expected.primitive : -1) << " d2 "
                              << expected.hit.squaredDistance << ", accelerated " << (a ? actual.primitive : -1)
                              << " d2 " << actual.hit.squaredDistance;
        }
    }
    if (hits)
        *hits = found;
    return disagreements;
}
