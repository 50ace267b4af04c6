// What a view page draws, gathered from geometry: the points with their
// direction and intensity, the colour scale, and the collider's triangles.
//
// Attributes are found as the preview finds them (render/preview_geometry.h),
// by type-information code: position 0 or 1, direction 3, intensity 4. A
// primitive counts as the one triangle of its vertices 0, 1 and 2, which is
// what rays meet. Point clouds above a limit are thinned to every k-th
// point, so a page stays small enough to load and turn smoothly; the page
// says when that happened.
#pragma once

#include "render/colour_scale.h"
#include "render/preview_options.h"

#include <GU/GU_Detail.h>

#include <cstdint>
#include <string>
#include <vector>

// Points a page carries at most: 2,000,000 points turn smoothly in a
// browser on software rendering, and their data (36 bytes a point) stays
// near 100 MB of page.
constexpr int64_t kViewPointLimit = 2000000;

struct ViewScene
{
    int64_t pointCount = 0;           // points in the geometry
    int64_t inputCount = 0;           // of which the first inputCount are input points
    int64_t stride = 1;               // the page keeps points 0, stride, 2 * stride, ...
    int64_t limit = kViewPointLimit;  // the most points the page was allowed
    // Kept points, three floats each; directions and intensities are empty
    // when the geometry has no such attribute.
    std::vector<float> positions;
    std::vector<float> directions;
    std::vector<float> intensities;
    // Scale of the intensity lengths of the points shown at first, over
    // every point of the geometry (not only the kept ones), so the legend
    // matches the preview picture's.
    IntensityScale scale;
    PointsShown shown = PointsShown::All;

    // The collider: its points and three indices per usable triangle, in
    // the primitive's vertex order. Seen from a triangle's front (the side
    // rays hit) the corners run clockwise, the opposite of WebGL's rule,
    // which the page allows for when it picks the sides to shade.
    std::vector<float> colliderPositions;
    std::vector<uint32_t> triangles;
    int64_t trianglesSkipped = 0;
};

// The smallest stride that keeps at most `limit` of pointCount points (1
// when they all fit, or for a limit below 1).
int64_t viewStride(int64_t pointCount, int64_t limit);

// Gathers a scene. `input` (may be null) marks the first points as input
// points, as in the preview; `collider` may be null. Fails, with a message,
// for points without a position attribute, a collider that has primitives
// but no positions, or a collider of more points than 32-bit indices reach.
bool gatherViewScene(const GU_Detail &points, const GU_Detail *collider, const GU_Detail *input, PointsShown shown,
                     int64_t limit, ViewScene &scene, std::string &error);
