#include "render/triangle_raster.h"

#include <algorithm>
#include <cmath>

namespace
{
// Twice the signed area of (a, b, p): positive when p lies to the left of
// a -> b in a y-up frame.
double edge(const ScreenVertex &a, const ScreenVertex &b, double px, double py)
{
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}
}  // namespace

void fillTriangle(Canvas &canvas, const PixelRect &clip, const ScreenVertex &a, const ScreenVertex &b,
                  const ScreenVertex &c, Rgb colour)
{
    double area = edge(a, b, c.x, c.y);
    if (!(area != 0.0) || !std::isfinite(area))
        return;
    // Orient so that every edge function is non-negative inside.
    const ScreenVertex &p0 = a;
    const ScreenVertex &p1 = area > 0.0 ? b : c;
    const ScreenVertex &p2 = area > 0.0 ? c : b;
    area = std::fabs(area);

    // Pixel centres x + 0.5 inside [minX, maxX] belong to columns
    // ceil(minX - 0.5) .. floor(maxX - 0.5).
    const double minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
    const double minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    const double clipX1 = double(clip.x) + clip.width - 1, clipY1 = double(clip.y) + clip.height - 1;
    const double fx0 = std::max(double(clip.x), std::ceil(minX - 0.5));
    const double fx1 = std::min(clipX1, std::floor(maxX - 0.5));
    const double fy0 = std::max(double(clip.y), std::ceil(minY - 0.5));
    const double fy1 = std::min(clipY1, std::floor(maxY - 0.5));
    if (fx0 > fx1 || fy0 > fy1)
        return;
    const int x0 = int(fx0), x1 = int(fx1), y0 = int(fy0), y1 = int(fy1);

    // Edge functions step by constants along a row; each row starts from a
    // fresh evaluation so rounding does not build up down the triangle.
    const double dx0 = -(p2.y - p1.y), dx1 = -(p0.y - p2.y), dx2 = -(p1.y - p0.y);
    const double inverseArea = 1.0 / area;
    const double z0 = p0.depth, z1 = p1.depth, z2 = p2.depth;
    for (int y = y0; y <= y1; ++y)
    {
        const double py = y + 0.5;
        const double px = x0 + 0.5;
        double w0 = edge(p1, p2, px, py);
        double w1 = edge(p2, p0, px, py);
        double w2 = edge(p0, p1, px, py);
        float *depthRow = canvas.depth + size_t(y) * size_t(canvas.width);
        for (int x = x0; x <= x1; ++x, w0 += dx0, w1 += dx1, w2 += dx2)
        {
            if (w0 < 0.0 || w1 < 0.0 || w2 < 0.0)
                continue;
            const float depth = float(((w0 * z0 + w1 * z1) + w2 * z2) * inverseArea);
            if (depth < depthRow[x])
            {
                depthRow[x] = depth;
                setPixel(canvas, x, y, colour);
            }
        }
    }
}
