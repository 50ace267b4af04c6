#include "render/collider_pass.h"

#include "render/preview_palette.h"
#include "render/triangle_raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// Shares of the two shading terms, and the light's direction (sign does not
// matter: both sides of a triangle are lit alike).
constexpr double kViewShare = 0.4;
constexpr double kLightShare = 0.6;
constexpr double kLight[3] = {0.3, 1.0, 0.55};

// Darkens the front faces' pixels from none at the near end of the scene's
// depth range to kDepthDarkening at the far end.
void darkenWithDepth(Canvas &canvas, const PixelRect &scene, const PreviewCamera &camera)
{
    const double span = camera.depthFar - camera.depthNear;
    if (!(span > 0.0))
        return;
    for (int y = scene.y; y < scene.y + scene.height; ++y)
        for (int x = scene.x; x < scene.x + scene.width; ++x)
        {
            const float depth = canvas.depth[size_t(y) * size_t(canvas.width) + size_t(x)];
            if (!std::isfinite(depth))
                continue;
            const double t = std::min(1.0, std::max(0.0, (double(depth) - camera.depthNear) / span));
            const Rgb wall = getPixel(canvas, x, y);
            const uint8_t grey = uint8_t(std::floor(wall.r * (1.0 - kDepthDarkening * t) + 0.5));
            setPixel(canvas, x, y, Rgb{grey, grey, grey});
        }
}
}  // namespace

int wallGrey(const float *p0, const float *p1, const float *p2, const double forward[3], bool &front)
{
    // Double precision: the normal of a sliver far from the origin would lose
    // its direction in single precision.
    const double e1[3] = {double(p1[0]) - p0[0], double(p1[1]) - p0[1], double(p1[2]) - p0[2]};
    const double e2[3] = {double(p2[0]) - p0[0], double(p2[1]) - p0[1], double(p2[2]) - p0[2]};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double length = std::sqrt((n[0] * n[0] + n[1] * n[1]) + n[2] * n[2]);
    if (!(length > 0.0) || !std::isfinite(length))
        return -1;
    // A ray along d meets the front when dot(n, d) > 0; the camera's rays
    // run along `forward`.
    const double facing = (n[0] * forward[0] + n[1] * forward[1]) + n[2] * forward[2];
    front = facing > 0.0;
    const double lightLength = std::sqrt((kLight[0] * kLight[0] + kLight[1] * kLight[1]) + kLight[2] * kLight[2]);
    const double lit = (n[0] * kLight[0] + n[1] * kLight[1]) + n[2] * kLight[2];
    const double shade =
        kViewShare * std::fabs(facing) / length + kLightShare * std::fabs(lit) / (length * lightLength);
    const double grey = front ? kFrontDark + kFrontRange * shade : kBackDark + kBackRange * shade;
    return int(std::floor(grey + 0.5));
}

ColliderCounts drawCollider(Canvas &canvas, const PixelRect &scene, const PreviewCamera &camera,
                            const TriangleSamples &triangles)
{
    ColliderCounts counts;
    clearDepth(canvas);
    if (triangles.corners.empty())
        return counts;

    // Each point once to the screen; triangles share their corners.
    const size_t pointCount = triangles.positions.size() / 3;
    std::vector<ScreenVertex> screen(pointCount);
    for (size_t i = 0; i < pointCount; ++i)
    {
        const float *p = &triangles.positions[i * 3];
        const ScreenPoint s = projectPoint(camera, p[0], p[1], p[2]);
        screen[i] = ScreenVertex{s.x, s.y, float(s.depth)};
    }

    // Shade each triangle once: the grey, negated for a back face, 0 for a
    // triangle of zero area.
    const size_t triangleCount = triangles.corners.size() / 3;
    std::vector<int16_t> shade(triangleCount);
    for (size_t t = 0; t < triangleCount; ++t)
    {
        const int64_t *c = &triangles.corners[t * 3];
        bool front = false;
        const int grey = wallGrey(&triangles.positions[size_t(c[0]) * 3], &triangles.positions[size_t(c[1]) * 3],
                                  &triangles.positions[size_t(c[2]) * 3], camera.basis.forward, front);
        shade[t] = int16_t(grey < 0 ? 0 : (front ? grey : -grey));
        counts.front += grey >= 0 && front;
        counts.back += grey >= 0 && !front;
    }

    // Back faces first, then, on a cleared depth buffer, the front faces
    // over them: a front face always covers a back face.
    for (int pass = 0; pass < 2; ++pass)
    {
        const bool drawFront = pass == 1;
        if (drawFront)
            clearDepth(canvas);
        for (size_t t = 0; t < triangleCount; ++t)
        {
            if (shade[t] == 0 || (shade[t] > 0) != drawFront)
                continue;
            const uint8_t grey = uint8_t(drawFront ? shade[t] : -shade[t]);
            const int64_t *c = &triangles.corners[t * 3];
            fillTriangle(canvas, scene, screen[size_t(c[0])], screen[size_t(c[1])], screen[size_t(c[2])],
                         Rgb{grey, grey, grey});
        }
    }
    darkenWithDepth(canvas, scene, camera);
    return counts;
}
