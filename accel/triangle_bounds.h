// How the structure treats each triangle, and the box that holds every hit a
// triangle can accept.
//
// Most triangles go into the hierarchy with a box grown by the triangle's
// share of the rounding bounds (see rounding_bounds.h). Two kinds stay out:
// triangles that can never be met (their front-face normal is exactly zero
// or NaN, so the front-face test fails for every ray), and triangles whose
// hits no box can be trusted to hold (non-finite or huge coordinates, slivers
// whose weights are skewed by rounding, triangles so small that their
// arithmetic underflows); those are tested on every ray.
#pragma once

#include "math/vector_math.h"

enum class TriangleFate
{
    Never,       // no ray is ever accepted: leave it out entirely
    AlwaysTest,  // test on every ray, outside the hierarchy
    Bounded,     // every accepted hit lies within the box
};

struct TriangleBox
{
    float lo[3];
    float hi[3];
};

struct TriangleClass
{
    TriangleFate fate;
    TriangleBox box;  // meaningful for Bounded only
};

TriangleClass classifyTriangle(const Triangle &triangle);
