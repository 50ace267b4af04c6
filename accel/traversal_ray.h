// A ray prepared for walking the hierarchy: the exact test's per-ray values,
// and box tests grown by the ray's share of the rounding bounds.
//
// The hierarchy is walked along the ray O + s*U, where U is the normalised
// direction the exact test steps along; s is also the plane parameter's
// magnitude, so the hit that the exact test computes for a plane parameter
// -s lies next to O + s*U (rounding_bounds.h). Boxes are tested against the
// segment s in [0, reach], each grown by a margin that covers the ray's
// share of the bounds at the segment's far end (the bounds grow with s).
// The reach starts at the distance the 9999999999.0 bound allows, cut to
// where the ray leaves the ball that holds the scene's boxes, and shrinks with
// every better hit.
#pragma once

#include "accel/triangle_batch.h"

struct TraversalRay
{
    ExactRay exact;
    float inverse[3];       // 1 / U, components below 2^-64 in magnitude replaced
    int nearRow[3];         // bounds row of each axis' entering plane: 0|1, 2|3, 4|5
    float scaledOrigin[3];  // O * inverse: a box term that the reach leaves alone
    float absInverse[3];    // |inverse|
    double originNorm;      // at least |O|: |x| + |y| + |z|
    double scaleError;      // eta = |1 - k|, safeNormalize having scaled by k
    double marginBase;      // the box margin is marginBase + marginSlope * reach
    double marginSlope;

    // The segment [0, reach] and the terms of the box tests (see setReach).
    float reach;
    float margin;
    float nearShift[3];
    float farShift[3];
};

// Fills `ray` for the structure's walk over triangles whose boxes (and so
// corners) lie within sceneRadius of the coordinate origin. Returns false when the ray
// must be searched exhaustively instead: a non-finite origin or direction, an
// origin coordinate beyond 2^40 in magnitude, or a direction more than about
// 0.2% off unit length (the bounds are derived for unit directions, which is
// what callers pass).
bool prepareTraversal(const UT_Vector3 &origin, const UT_Vector3 &direction, double sceneRadius, TraversalRay &ray);

// A reach that every hit with a squared distance of at most d2 lies within.
double reachForSquaredDistance(const TraversalRay &ray, float d2);

// Sets the segment [0, reach] and the box margin that goes with it.
void setReach(TraversalRay &ray, double reach);

// Tests the box, grown by the ray's margin, against the segment. On a hit,
// entry and exit bound the part of the segment inside it.
bool testBox(const TraversalRay &ray, const float lo[3], const float hi[3], float &entry, float &exit);
