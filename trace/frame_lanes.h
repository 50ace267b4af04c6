// The frames of many points at once, four to a set of SIMD lanes.
//
// A point's frame starts with three normalisations: of its direction (for
// the cosine with +Z) and, twice, of the rotation axis. Each is a dependent
// chain of a dot product, a square root and a division, and one point after
// another those chains leave the divider and the square root unit waiting.
// Taken four points at a time in SSE lanes they cost one chain per four
// points. Every lane performs the scalar steps (trace/walk_steps.h) in the
// same order, and SSE's add, multiply, divide and square root round exactly
// as the scalar instructions do, so each point gets the same bits; the
// scalar tests and branches become lane masks that pick the same values.
// Directions with an infinite or NaN component, whose NaNs' bits would
// depend on operand order, take the scalar steps instead.
#pragma once

#include "trace/walk_steps.h"

#include <cstddef>

// parts[i] = frameParts(directions[i]) for i in [0, count).
void framePartsOf(const UT_Vector3 *directions, size_t count, FrameParts *parts);
