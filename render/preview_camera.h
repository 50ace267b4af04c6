// The orthographic camera of a preview: view directions, automatic framing
// and the projection of world points to pixel coordinates.
//
// Projection runs in double precision: positions far from the origin or
// scenes of very different extents must still land on the right pixel, and
// the cost is a few multiplications per point.
#pragma once

#include "render/canvas.h"
#include "render/preview_options.h"

// An orthonormal camera frame: screen right, screen up, and the direction
// the camera looks along (right x up = -forward).
struct ViewBasis
{
    double right[3];
    double up[3];
    double forward[3];
};

ViewBasis viewBasis(PreviewView view);

// An axis-aligned box; `empty` until a point is included.
struct Bounds3
{
    bool empty = true;
    double min[3] = {0.0, 0.0, 0.0};
    double max[3] = {0.0, 0.0, 0.0};
};

void includePoint(Bounds3 &bounds, double x, double y, double z);

// A point in pixel coordinates: x to the right and y downwards from the
// picture's top-left corner, pixel (i, j) covering [i, i + 1) x [j, j + 1);
// depth along the view direction, smaller is nearer.
struct ScreenPoint
{
    double x;
    double y;
    double depth;
};

struct PreviewCamera
{
    ViewBasis basis;
    double centreU = 0.0;  // screen-plane coordinates shown at the scene's centre
    double centreV = 0.0;
    double scale = 1.0;    // pixels per world unit
    double originX = 0.0;  // pixel coordinates of the scene's centre
    double originY = 0.0;
    double extent = 0.0;     // longest side of the framed box
    double depthNear = 0.0;  // depth range of the framed box
    double depthFar = 0.0;
};

// Frames the box in the scene rectangle, keeping `margin` pixels clear on
// every side: the box's projection is centred and scaled as large as fits.
// A box that is flat on screen in one direction is fitted by the other; a
// box that projects to a single point (or an empty box) is centred at one
// pixel per unit.
PreviewCamera frameCamera(PreviewView view, const Bounds3 &bounds, const PixelRect &scene, int margin);

inline ScreenPoint projectPoint(const PreviewCamera &camera, double x, double y, double z)
{
    const ViewBasis &b = camera.basis;
    const double u = (x * b.right[0] + y * b.right[1]) + z * b.right[2];
    const double v = (x * b.up[0] + y * b.up[1]) + z * b.up[2];
    const double d = (x * b.forward[0] + y * b.forward[1]) + z * b.forward[2];
    return ScreenPoint{camera.originX + (u - camera.centreU) * camera.scale,
                       camera.originY - (v - camera.centreV) * camera.scale, d};
}
