#include "render/preview.h"

#include "render/canvas.h"
#include "render/collider_pass.h"
#include "render/png_file.h"
#include "render/point_markers.h"
#include "render/point_pass.h"
#include "render/preview_camera.h"
#include "render/preview_geometry.h"
#include "render/preview_layout.h"
#include "render/preview_legend.h"
#include "render/preview_palette.h"

#include <algorithm>
#include <cmath>

namespace
{
// The box around everything that will be drawn: the finite points of the
// shown range first .. end-1 and the corners of usable triangles. The
// collider always counts, so the camera keeps the scene in view even when
// only a few points are shown.
Bounds3 sceneBounds(const PointSamples &points, int64_t first, int64_t end, const TriangleSamples &triangles)
{
    Bounds3 bounds;
    for (size_t i = size_t(first) * 3; i < size_t(end) * 3; i += 3)
    {
        const float *p = &points.positions[i];
        if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]))
            includePoint(bounds, p[0], p[1], p[2]);
    }
    for (int64_t corner : triangles.corners)
    {
        const float *p = &triangles.positions[size_t(corner) * 3];
        includePoint(bounds, p[0], p[1], p[2]);
    }
    return bounds;
}

std::string summary(const PreviewStats &s)
{
    std::string text = "drew " + std::to_string(s.pointsDrawn) + " points";
    if (s.inputPoints > 0)
        text += " (" + std::to_string(s.inputPoints) + " input)";
    text += " and " + std::to_string(s.trianglesFront + s.trianglesBack) + " triangles";
    if (s.pointsHidden > 0)
        text += "; " + std::to_string(s.pointsHidden) + " points hidden behind the collider";
    if (s.pointsSkipped > 0)
        text += "; skipped " + std::to_string(s.pointsSkipped) + " points with a non-finite position";
    if (s.trianglesSkipped > 0)
        text += "; skipped " + std::to_string(s.trianglesSkipped) +
                " primitives with fewer than three vertices or a non-finite corner";
    if (s.hasIntensityRange)
        text += "; intensity " + s.legendMin + " to " + s.legendMax;
    else
        text += "; no positive intensity";
    return text;
}
}  // namespace

PreviewResult renderPreview(const GU_Detail &points, const GU_Detail *collider, const GU_Detail *input,
                            const PreviewOptions &options, std::vector<uint8_t> &rgb)
{
    PreviewResult result;
    rgb.clear();
    if (!checkPreviewSize(options.width, options.height, result.message))
        return result;
    PointSamples samples;
    TriangleSamples triangles;
    if (!gatherPoints(points, samples, result.message))
        return result;
    if (collider && !gatherTriangles(*collider, triangles, result.message))
        return result;
    const int64_t pointCount = int64_t(samples.positions.size() / 3);
    const int64_t inputCount = input ? std::min<int64_t>(input->getNumPoints(), pointCount) : 0;

    // Points 0 .. inputCount-1 are the input points, the rest were appended.
    const bool showInput = options.points != PointsShown::New && inputCount > 0;
    const bool showNew = options.points != PointsShown::Input && pointCount > inputCount;
    const int64_t first = showInput ? 0 : inputCount;
    const int64_t end = showNew ? pointCount : inputCount;

    const int width = options.width;
    const int height = options.height;
    const PreviewLayout layout = computeLayout(width, height);
    const PreviewCamera camera =
        frameCamera(options.view, sceneBounds(samples, first, end, triangles), layout.scene, layout.margin);

    rgb.resize(size_t(width) * size_t(height) * 3);
    std::vector<float> depth(size_t(width) * size_t(height));
    Canvas canvas{width, height, rgb.data(), depth.data()};
    fillRect(canvas, PixelRect{0, 0, width, height}, kBackgroundColour);

    const ColliderCounts walls = drawCollider(canvas, layout.scene, camera, triangles);
    // Dense clouds get smaller marks: plain dots, and input squares one
    // pixel narrower. Input points shown with appended ones are small plain
    // squares drawn first, behind every hit; shown alone they are framed.
    const int smallRadius = std::max(1, layout.markerRadius - 1);
    const MarkerStamp appendedMark = isDenseCloud(pointCount - inputCount, layout.scene)
                                         ? discStamp(smallRadius, false)
                                         : discStamp(layout.markerRadius);
    const MarkerStamp inputMark =
        showNew ? squareStamp(1, false)
                : squareStamp(isDenseCloud(inputCount, layout.scene) ? smallRadius - 1 : layout.markerRadius);
    const IntensityScale scale = pointScale(samples, first, end);
    PointCounts marks;
    const auto add = [&marks](const PointCounts &range) {
        marks.drawn += range.drawn;
        marks.hidden += range.hidden;
        marks.skipped += range.skipped;
        marks.noIntensity += range.noIntensity;
    };
    if (showInput)
        add(drawPointRange(canvas, layout.scene, camera, samples, 0, inputCount, scale, inputMark, kInputOutline));
    if (showNew)
        add(drawPointRange(canvas, layout.scene, camera, samples, inputCount, pointCount, scale, appendedMark,
                           kAppendedOutline));

    LegendContent legend;
    legend.scale = scale;
    legend.showNoIntensity = marks.noIntensity > 0 && scale.hasRange;
    legend.showMarkers = showInput && showNew;
    drawLegend(canvas, layout, legend, appendedMark, inputMark);

    PreviewStats &stats = result.stats;
    stats.pointsDrawn = marks.drawn;
    stats.pointsHidden = marks.hidden;
    stats.pointsSkipped = marks.skipped;
    stats.pointsNoIntensity = marks.noIntensity;
    stats.inputPoints = showInput ? inputCount : 0;
    stats.trianglesFront = walls.front;
    stats.trianglesBack = walls.back;
    stats.trianglesSkipped = triangles.skipped;
    stats.hasIntensityRange = scale.hasRange;
    stats.intensityMin = scale.minValue;
    stats.intensityMax = scale.maxValue;
    stats.legendMin = legendMinLabel(scale);
    stats.legendMax = legendMaxLabel(scale);
    stats.hasLegend = layout.hasLegend;
    result.ok = true;
    result.message = summary(stats);
    return result;
}

PreviewResult writePreviewPng(const std::string &path, const GU_Detail &points, const GU_Detail *collider,
                              const GU_Detail *input, const PreviewOptions &options)
{
    std::vector<uint8_t> rgb;
    PreviewResult result = renderPreview(points, collider, input, options, rgb);
    if (!result.ok)
        return result;
    std::string png;
    std::string error;
    if (!encodePng(rgb, options.width, options.height, png, error) || !writeFileReplacing(path, png, error))
    {
        result.ok = false;
        result.message = error;
    }
    return result;
}
