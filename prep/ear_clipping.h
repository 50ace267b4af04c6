// Splitting one polygon into triangles by ear clipping.
//
// The node reads only the first three corners of a primitive, so a polygon
// of more corners has to be cut into triangles before it becomes a
// collider. A fan from the first corner is wrong for a concave polygon (its
// triangles leave the outline and overlap), so the polygon is projected onto
// the plane that fits it best (the plane across its area vector, see
// prep/polygon_geometry.h) and cut there by ear clipping: repeatedly cut off
// a corner whose triangle with its two neighbours turns the polygon's way
// and holds no other corner. The projection is only used to choose the
// triangles; they are built from the polygon's own corners, so a polygon
// that is not flat gives triangles that follow its corners in space.
//
// Every triangle keeps the polygon's corner order, so its right-hand normal
// points the way the polygon's does and the side the node meets does not
// change. A convex polygon becomes the fan from its first corner, which
// keeps the first triangle the node has always used.
//
// Corners that add no area (a corner repeated, a corner on a straight edge,
// the tip of a spike of no width) end up in no triangle. A polygon whose
// projection crosses itself is still cut completely, but its triangles may
// overlap.
#pragma once

#include <UT/UT_Vector3.h>

#include <cstddef>
#include <vector>

// Corner numbers of one triangle, in the polygon's cyclic order.
struct CornerTriangle
{
    size_t a, b, c;

    bool operator==(const CornerTriangle &o) const { return a == o.a && b == o.b && c == o.c; }
};

// The triangles of the polygon with these corners. A triangle comes back as
// it is; a polygon without area (all corners on one line or one point) or of
// fewer than three corners gives none.
std::vector<CornerTriangle> clipEars(const std::vector<UT_Vector3> &corners);
