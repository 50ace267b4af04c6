// Filling triangles into a canvas with a depth test.
//
// A pixel belongs to a triangle when its centre lies inside the triangle or
// on its border; its depth is interpolated linearly over the triangle (exact
// for an orthographic view). A pixel is written only when the triangle is
// strictly nearer than what the pixel already holds, so of two surfaces at
// equal depth the one drawn first stays: with a fixed drawing order the
// picture is the same on every run.
#pragma once

#include "render/canvas.h"

struct ScreenVertex
{
    double x;  // pixel coordinates, as projectPoint gives them
    double y;
    float depth;
};

// Fills the triangle's pixels inside `clip` (which must lie on the canvas),
// writing colour and depth. Triangles of zero area on screen draw nothing.
void fillTriangle(Canvas &canvas, const PixelRect &clip, const ScreenVertex &a, const ScreenVertex &b,
                  const ScreenVertex &c, Rgb colour);
