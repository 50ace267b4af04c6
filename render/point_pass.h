// Drawing the points as coloured marks over the collider.
//
// A point is hidden only by a front face clearly nearer the camera: the
// depth test at the mark's centre allows 1% of the scene's size, so the
// points the tracer appended on a wall (exactly on its surface) stay visible
// however the wall's depth rounds. Back faces never hide points, just as
// they never stop rays. A range of points is drawn far to near, so nearer
// marks cover farther ones (ties in point order, which keeps the order
// fixed); a range drawn later lies over the ranges drawn before it, which is
// how the caller puts input points behind or on top of the appended ones.
#pragma once

#include "render/canvas.h"
#include "render/colour_scale.h"
#include "render/point_markers.h"
#include "render/preview_camera.h"
#include "render/preview_geometry.h"

#include <cstdint>

struct PointCounts
{
    int64_t drawn = 0;
    int64_t hidden = 0;       // behind a front face
    int64_t skipped = 0;      // non-finite position
    int64_t noIntensity = 0;  // drawn in the grey for zero or non-finite intensity
};

// The colour scale of the drawable points among first .. end-1: those with
// a finite position.
IntensityScale pointScale(const PointSamples &points, int64_t first, int64_t end);

// True when so many points share the scene that outlined marks would cover
// each other's colours: more than one point per 64 pixels.
bool isDenseCloud(int64_t pointCount, const PixelRect &scene);

// Draws points first .. end-1 (clamped to the points there are) with one
// mark and outline colour. The canvas's depth buffer must hold the front
// faces' depths (drawCollider).
PointCounts drawPointRange(Canvas &canvas, const PixelRect &scene, const PreviewCamera &camera,
                           const PointSamples &points, int64_t first, int64_t end, const IntensityScale &scale,
                           const MarkerStamp &mark, Rgb outline);
