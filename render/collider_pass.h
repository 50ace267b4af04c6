// Drawing the collider so that a closed room reads as a room.
//
// The collider is one-sided: a ray passes through a triangle it meets from
// behind. The picture treats the camera's view the same way. Triangles seen
// from their front are solid, light grey. Triangles seen from their back are
// drawn dim and only where no front face covers the pixel, whatever their
// depth. For a room built to stop rays travelling outwards, the walls
// between the camera and the room are seen from their back, so they fade
// behind the far walls and the inside of the room shows; a lone triangle
// seen from behind still shows, dimmed.
//
// Shading is flat per triangle: partly by how squarely it faces the camera,
// partly by a fixed light from above and to the side, so that walls meeting
// at a corner differ even where they face the camera equally. Front faces
// then darken with depth, so an object stands out from the wall behind it
// even when both face the same way.
#pragma once

#include "render/canvas.h"
#include "render/preview_camera.h"
#include "render/preview_geometry.h"

#include <cstdint>

struct ColliderCounts
{
    int64_t front = 0;  // triangles drawn as seen from their front
    int64_t back = 0;   // triangles drawn as seen from their back
};

// The grey of a triangle with corners p0, p1, p2 seen along `forward`,
// before darkening with depth; `front` tells which side the camera sees
// (front: the corners appear clockwise). Returns -1 for a triangle of zero
// area.
int wallGrey(const float *p0, const float *p1, const float *p2, const double forward[3], bool &front);

// Draws the triangles into the scene rectangle. On return the canvas's depth
// buffer holds the depth of the front faces only (+infinity elsewhere), for
// the depth test of the points drawn after.
ColliderCounts drawCollider(Canvas &canvas, const PixelRect &scene, const PreviewCamera &camera,
                            const TriangleSamples &triangles);
