// Small geometries for the render tests, built through the host API the way
// a loaded file or a cook would build them.
#pragma once

#include "render/canvas.h"

#include <GU/GU_Detail.h>

#include <array>
#include <cstdint>
#include <vector>

struct TestPoint
{
    float x, y, z;
    float intensity;  // stored as (intensity, 0, 0), so its length is |intensity|
};

using TestTriangle = std::array<std::array<float, 3>, 3>;

// Points with a position (code 1) and, when asked, an intensity (code 4).
GU_Detail makePoints(const std::vector<TestPoint> &points, bool withIntensity = true);

// One polygon of three points per triangle, corners in the given order.
GU_Detail makeTriangles(const std::vector<TestTriangle> &triangles);

// A detail with `count` points and no attributes beyond position.
GU_Detail makeInput(int count);

Rgb pixelAt(const std::vector<uint8_t> &rgb, int width, int x, int y);
