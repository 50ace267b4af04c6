#include "render/point_pass.h"

#include "render/preview_palette.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
bool finitePosition(const float *p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// Pixel column or row of a coordinate, kept inside [low, high]: framing
// puts every finite point inside the scene, the clamp guards the conversion.
int pixelIndex(double coordinate, int low, int high)
{
    const double f = std::floor(coordinate);
    if (!(f >= low))
        return low;
    return f > high ? high : int(f);
}

struct PlacedPoint
{
    double depth;
    int64_t index;
    int x;
    int y;
    Rgb fill;
};
}  // namespace

IntensityScale pointScale(const PointSamples &points, int64_t first, int64_t end)
{
    IntensityScale scale;
    if (points.hasIntensity)
        for (size_t i = size_t(std::max<int64_t>(first, 0)); i < std::min(size_t(end), points.lengths.size()); ++i)
            if (finitePosition(&points.positions[i * 3]))
                includeInScale(scale, points.lengths[i]);
    finishScale(scale);
    return scale;
}

bool isDenseCloud(int64_t pointCount, const PixelRect &scene)
{
    return pointCount * 64 > int64_t(scene.width) * int64_t(scene.height);
}

PointCounts drawPointRange(Canvas &canvas, const PixelRect &scene, const PreviewCamera &camera,
                           const PointSamples &points, int64_t first, int64_t end, const IntensityScale &scale,
                           const MarkerStamp &mark, Rgb outline)
{
    PointCounts counts;
    const int64_t total = int64_t(points.positions.size() / 3);
    end = std::clamp<int64_t>(end, 0, total);
    first = std::clamp<int64_t>(first, 0, end);
    const double tolerance = 0.01 * camera.extent;
    std::vector<PlacedPoint> placed;
    placed.reserve(size_t(end - first));
    for (int64_t i = first; i < end; ++i)
    {
        const float *p = &points.positions[size_t(i) * 3];
        if (!finitePosition(p))
        {
            ++counts.skipped;
            continue;
        }
        const ScreenPoint s = projectPoint(camera, p[0], p[1], p[2]);
        const int x = pixelIndex(s.x, scene.x, scene.x + scene.width - 1);
        const int y = pixelIndex(s.y, scene.y, scene.y + scene.height - 1);
        if (s.depth > double(canvas.depth[size_t(y) * size_t(canvas.width) + size_t(x)]) + tolerance)
        {
            ++counts.hidden;
            continue;
        }
        // The colour is looked up here, in point order: after sorting the
        // intensities would be read in random order.
        const double length = points.hasIntensity ? points.lengths[size_t(i)] : 0.0;
        const bool graded = scale.hasRange && length > 0.0 && std::isfinite(length);
        counts.noIntensity += graded ? 0 : 1;
        placed.push_back({s.depth, i, x, y, graded ? intensityColour(scale, length) : kNoIntensityColour});
    }
    std::sort(placed.begin(), placed.end(), [](const PlacedPoint &a, const PlacedPoint &b) {
        return a.depth != b.depth ? a.depth > b.depth : a.index < b.index;
    });
    for (const PlacedPoint &point : placed)
        drawMarker(canvas, scene, point.x, point.y, mark, point.fill, outline);
    counts.drawn = int64_t(placed.size());
    return counts;
}
