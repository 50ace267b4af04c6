// Expectations worked out by hand for cooks of small scenes.
//
// The node computes in single precision with a fixed rounding order; these
// functions compute the same geometry in double precision straight from the
// rules (nearest front-facing wall, half a turn about the surface direction,
// fall-off 1 / (2 d^4 + 1) at distance d), so a test compares the node with
// an independent reckoning up to rounding rather than with its own code.
#pragma once

#include "trace/tests/trace_test_scenes.h"

#include <UT/UT_Vector3.h>
#include <string>

namespace node_test
{

// Each component within tolerance of expected.
void expectNear(const UT_Vector3 &actual, const UT_Vector3 &expected, float tolerance, const std::string &what);
// Each component within tolerance times the size of the expected component.
void expectRelative(const UT_Vector3 &actual, const UT_Vector3 &expected, double tolerance, const std::string &what);

// Plain arithmetic for expectations (the vector type has no operators).
UT_Vector3 sum(const UT_Vector3 &a, const UT_Vector3 &b);
UT_Vector3 difference(const UT_Vector3 &a, const UT_Vector3 &b);
UT_Vector3 negated(const UT_Vector3 &v);
double dotProduct(const UT_Vector3 &a, const UT_Vector3 &b);
// v scaled to unit length in double precision.
UT_Vector3 unit(const UT_Vector3 &v);
// The fall-off of a hit at squared distance distance2: 1 / (2 distance2^2 + 1).
double falloff(double distance2);
// a * b * factor, component by component.
UT_Vector3 times(const UT_Vector3 &a, const UT_Vector3 &b, double factor);

// A rectangular wall: two triangles with corners c, c+u, c+v, c+u+v, met by
// rays that travel along u x v, carrying direction and factor at every corner.
void addWall(trace_test::ColliderBuilder &collider, const UT_Vector3 &c, const UT_Vector3 &u, const UT_Vector3 &v,
             const UT_Vector3 &direction, const UT_Vector3 &factor);

// Where a ray from inside the room [-h, h]^3 of ColliderBuilder::room()
// meets a wall, and its direction after half a turn about that wall's
// inward direction: the component across the wall stays, the rest reverses.
struct WallHit
{
    UT_Vector3 position;
    UT_Vector3 turned;
    double distance2 = 0;
};
WallHit roomHit(const UT_Vector3 &origin, const UT_Vector3 &direction, double h);

}  // namespace node_test
