#include "bench/room_scene.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{

constexpr float kHalfSize = 50.0f;
constexpr double kPi = 3.14159265358979323846;
constexpr int kObjects = 48;

// Uniform in [0, 1) from the top 24 bits of one engine output.
float unit(std::mt19937 &rng) { return float(rng() >> 8) * 0x1p-24f; }
float uniform(std::mt19937 &rng, float lo, float hi) { return lo + (hi - lo) * unit(rng); }

struct Builder
{
    RoomScene &scene;

    int32_t add(float x, float y, float z)
    {
        scene.points.emplace_back(x, y, z);
        return int32_t(scene.points.size() - 1);
    }
    void quad(int32_t a, int32_t b, int32_t c, int32_t d, bool flip)
    {
        if (flip)
        {
            scene.triangles.push_back({a, c, b});
            scene.triangles.push_back({a, d, c});
        }
        else
        {
            scene.triangles.push_back({a, b, c});
            scene.triangles.push_back({a, c, d});
        }
    }

    // Six faces of the box centre +- half, n by n quads each, facing
    // outwards (or inwards).
    void box(const float centre[3], const float half[3], int n, bool inwards)
    {
        for (int axis = 0; axis < 3; ++axis)
            for (int side = -1; side <= 1; side += 2)
            {
                const int u = (axis + 1) % 3, v = (axis + 2) % 3;
                const int32_t first = int32_t(scene.points.size());
                for (int j = 0; j <= n; ++j)
                    for (int i = 0; i <= n; ++i)
                    {
                        float p[3];
                        p[axis] = centre[axis] + side * half[axis];
                        p[u] = centre[u] + half[u] * (2.0f * i / n - 1.0f);
                        p[v] = centre[v] + half[v] * (2.0f * j / n - 1.0f);
                        add(p[0], p[1], p[2]);
                    }
                const auto at = [&](int i, int j) { return first + j * (n + 1) + i; };
                // (u, v, axis) is right-handed: counter-clockwise in (u, v)
                // faces +axis; the rays that meet a triangle travel along its
                // normal, so a face seen from outside has its normal pointing in.
                const bool flip = (side > 0) != inwards;
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i)
                        quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), flip);
            }
    }

    // A latitude-longitude sphere of `rings` rings and 2*rings segments.
    void sphere(const float centre[3], float radius, int rings)
    {
        const int segments = 2 * rings;
        const int32_t first = int32_t(scene.points.size());
        for (int r = 0; r <= rings; ++r)
        {
            const double theta = kPi * r / rings;
            for (int s = 0; s < segments; ++s)
            {
                const double phi = 2.0 * kPi * s / segments;
                add(float(centre[0] + radius * std::sin(theta) * std::cos(phi)),
                    float(centre[1] + radius * std::sin(theta) * std::sin(phi)),
                    float(centre[2] + radius * std::cos(theta)));
            }
        }
        const auto at = [&](int r, int s) { return first + r * segments + s % segments; };
        for (int r = 0; r < rings; ++r)
            for (int s = 0; s < segments; ++s)
            {
                // r runs south and s east, so (r, s) -> (r, s+1) -> (r+1, s+1)
                // has its normal pointing inwards, along the rays that meet
                // it from outside. The triangles at the poles would have two
                // equal corners and are left out.
                if (r > 0)
                    scene.triangles.push_back({at(r, s), at(r, s + 1), at(r + 1, s + 1)});
                if (r < rings - 1)
                    scene.triangles.push_back({at(r, s), at(r + 1, s + 1), at(r + 1, s)});
            }
    }
};

struct Obstacle
{
    bool isSphere;
    float centre[3];
    float half[3];  // radius in half[0] for spheres

    bool contains(const UT_Vector3 &p) const
    {
        const float d[3] = {p.x() - centre[0], p.y() - centre[1], p.z() - centre[2]};
        if (isSphere)
            return d[0] * d[0] + d[1] * d[1] + d[2] * d[2] <= half[0] * half[0] * 1.0001f;
        return std::fabs(d[0]) <= half[0] && std::fabs(d[1]) <= half[1] && std::fabs(d[2]) <= half[2];
    }
};

std::vector<Obstacle> obstacles(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<Obstacle> result;
    for (int k = 0; k < kObjects; ++k)
    {
        Obstacle o;
        o.isSphere = k % 2 == 0;
        for (int c = 0; c < 3; ++c)
        {
            o.centre[c] = uniform(rng, -35.0f, 35.0f);
            o.half[c] = uniform(rng, 2.0f, 9.0f);
        }
        result.push_back(o);
    }
    return result;
}

}  // namespace

RoomScene makeRoomScene(size_t targetTriangles, uint32_t seed)
{
    RoomScene scene;
    scene.seed = seed;
    Builder builder{scene};
    // A quarter of the triangles on the walls, the rest shared by the objects.
    const double wallQuads = std::max(1.0, 0.25 * double(targetTriangles) / 12.0);
    const int wallN = std::max(1, int(std::lround(std::sqrt(wallQuads))));
    const float centre[3] = {0, 0, 0};
    const float half[3] = {kHalfSize, kHalfSize, kHalfSize};
    builder.box(centre, half, wallN, true);

    const double perObject = 0.75 * double(targetTriangles) / kObjects;
    const int boxN = std::max(1, int(std::lround(std::sqrt(perObject / 12.0))));
    const int rings = std::max(3, int(std::lround(std::sqrt(perObject / 4.0))));
    for (const Obstacle &o : obstacles(seed))
    {
        if (o.isSphere)
            builder.sphere(o.centre, o.half[0], rings);
        else
            builder.box(o.centre, o.half, boxN, false);
    }
    return scene;
}

std::vector<Triangle> sceneTriangles(const RoomScene &scene)
{
    std::vector<Triangle> result;
    result.reserve(scene.triangles.size());
    for (const std::array<int32_t, 3> &t : scene.triangles)
        result.push_back({scene.points[size_t(t[0])], scene.points[size_t(t[1])], scene.points[size_t(t[2])]});
    return result;
}

std::vector<SceneRay> makeRoomRays(const RoomScene &scene, size_t count, uint32_t seed)
{
    const std::vector<Obstacle> objects = obstacles(scene.seed);
    std::mt19937 rng(seed);
    std::vector<SceneRay> rays;
    rays.reserve(count);
    while (rays.size() < count)
    {
        const UT_Vector3 o(uniform(rng, -kHalfSize, kHalfSize), uniform(rng, -kHalfSize, kHalfSize),
                           uniform(rng, -kHalfSize, kHalfSize));
        UT_Vector3 d(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        const float len2 = dot(d, d);
        if (len2 > 1.0f || len2 < 1e-4f)
            continue;  // uniform directions: keep draws inside the unit ball
        safeNormalize(d);
        if (std::any_of(objects.begin(), objects.end(), [&](const Obstacle &b) { return b.contains(o); }))
            continue;
        rays.push_back({o, d});
    }
    return rays;
}
