// Cutting a collider's polygons into triangles before the node sees it.
//
// The node makes one triangle of the first three corners of every
// primitive, so a quad contributes half its area and rays through the other
// half pass unseen. In the host a user puts a triangulating node upstream;
// the command line does the same work here. Faces (closed polygons) of more
// than three corners are replaced, in place in the primitive order, by the
// triangles of prep/ear_clipping.h, which keep each face's winding and so the
// side the node meets. Everything else — triangles, open polygons, polygons
// of fewer than three corners, every point and every point attribute —
// is carried over unchanged, and point numbers stay the same.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GU/GU_Detail.h>

#include <cstdint>

struct TriangulationCount
{
    int64_t polygons = 0;   // faces of more than three corners that were cut
    int64_t triangles = 0;  // triangles they gave
    int64_t empty = 0;      // of those faces, the ones with no area, which gave none
};

// Faces of more than three corners in gdp: what triangulatePolygons would cut.
int64_t countPolygonsToTriangulate(const GU_Detail &gdp);

// Fills target with source, its faces of more than three corners cut into
// triangles. position is the source attribute the node takes as position;
// corners are read from it.
TriangulationCount triangulatePolygons(const GU_Detail &source, const GA_ATINumeric &position, GU_Detail &target);
