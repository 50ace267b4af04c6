// What a preview needs from a geometry: point positions, the lengths of the
// points' intensities, and the collider's triangles.
//
// Attributes are found the way the tracer finds them, by type-information
// code, never by name: the first numeric point attribute of at least three
// components with code 0 or 1 is the position, the first with code 4 the
// intensity. Like the tracer, a primitive counts as the one triangle of its
// vertices 0, 1 and 2, so the picture shows the surfaces rays actually meet.
#pragma once

#include <GU/GU_Detail.h>

#include <cstdint>
#include <string>
#include <vector>

// Points in point order.
struct PointSamples
{
    std::vector<float> positions;  // x, y, z per point
    bool hasIntensity = false;
    std::vector<double> lengths;  // intensity length per point, when hasIntensity
};

// Triangles whose corners are all finite; corners index `positions`.
struct TriangleSamples
{
    std::vector<float> positions;  // x, y, z per point of the detail
    std::vector<int64_t> corners;  // three point indices per triangle
    int64_t skipped = 0;           // primitives with fewer than three vertices or a non-finite corner
};

// The first numeric point attribute of at least three components whose
// type-information code is `code` (or, for code 0, code 0 or 1); null when
// there is none.
const GA_ATINumeric *findPointAttribute(const GU_Detail &detail, int32_t code);

// Copies the first three components of the first `count` points of attrib
// into out (three floats per point).
void readPointTriples(const GA_ATINumeric &attrib, GA_Size count, float *out);

// Reads positions and intensity lengths. Lengths are taken in double from
// the first three components, so large intensities do not overflow. Fails
// only when the detail has points but no position attribute.
bool gatherPoints(const GU_Detail &detail, PointSamples &points, std::string &error);

// Reads the collider's triangles. Fails only when the detail has primitives
// but no position attribute.
bool gatherTriangles(const GU_Detail &detail, TriangleSamples &triangles, std::string &error);
