#include "view/view_scene.h"

#include "render/point_pass.h"
#include "render/preview_geometry.h"

#include <algorithm>
#include <limits>

namespace
{
// Copies every stride-th triple of `all` (three floats per point).
std::vector<float> keepEvery(const std::vector<float> &all, int64_t stride)
{
    if (stride == 1)
        return all;
    std::vector<float> kept;
    const size_t count = all.size() / 3;
    kept.reserve((count + size_t(stride) - 1) / size_t(stride) * 3);
    for (size_t i = 0; i < count; i += size_t(stride))
        kept.insert(kept.end(), all.begin() + i * 3, all.begin() + i * 3 + 3);
    return kept;
}

// The kept triples of the first attribute with type code `code`; empty
// when there is none.
std::vector<float> keptTriples(const GU_Detail &detail, int32_t code, int64_t stride)
{
    const GA_ATINumeric *attrib = findPointAttribute(detail, code);
    if (!attrib)
        return {};
    std::vector<float> all(size_t(detail.getNumPoints()) * 3);
    readPointTriples(*attrib, detail.getNumPoints(), all.data());
    return keepEvery(all, stride);
}
}  // namespace

int64_t viewStride(int64_t pointCount, int64_t limit)
{
    if (limit < 1 || pointCount <= limit)
        return 1;
    return (pointCount + limit - 1) / limit;
}

bool gatherViewScene(const GU_Detail &points, const GU_Detail *collider, const GU_Detail *input, PointsShown shown,
                     int64_t limit, ViewScene &scene, std::string &error)
{
    scene = ViewScene();
    PointSamples samples;
    if (!gatherPoints(points, samples, error))
        return false;
    scene.pointCount = int64_t(samples.positions.size() / 3);
    scene.inputCount = input ? std::min<int64_t>(input->getNumPoints(), scene.pointCount) : 0;
    scene.shown = shown;
    scene.limit = limit;
    scene.stride = viewStride(scene.pointCount, limit);
    const int64_t first = shown == PointsShown::New ? scene.inputCount : 0;
    const int64_t end = shown == PointsShown::Input ? scene.inputCount : scene.pointCount;
    scene.scale = pointScale(samples, first, end);
    scene.positions = keepEvery(samples.positions, scene.stride);
    samples = PointSamples();
    scene.directions = keptTriples(points, 3, scene.stride);
    scene.intensities = keptTriples(points, 4, scene.stride);

    if (!collider)
        return true;
    TriangleSamples triangles;
    if (!gatherTriangles(*collider, triangles, error))
        return false;
    if (triangles.positions.size() / 3 > size_t(std::numeric_limits<uint32_t>::max()))
    {
        error = "the collider has more points than a view page can index (4,294,967,295)";
        return false;
    }
    scene.colliderPositions = std::move(triangles.positions);
    scene.triangles.assign(triangles.corners.begin(), triangles.corners.end());
    scene.trianglesSkipped = triangles.skipped;
    return true;
}
