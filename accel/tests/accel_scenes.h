// Scenes and rays that stress the accelerated search: meshes whose shared
// edges and corners rays are aimed at, duplicated and coplanar triangles,
// needles and slivers, tiny triangles, coordinates far from the origin and
// non-finite ones. Fixed seeds throughout.
#pragma once

#include "accel/nearest_hit.h"

#include <random>
#include <vector>

struct TestRay
{
    UT_Vector3 origin;
    UT_Vector3 direction;
};

// Float direction of unit length up to rounding, as callers produce it.
UT_Vector3 unitDirection(float x, float y, float z);

// An nx by ny grid of squares in the plane z = height, two triangles each,
// facing rays that travel towards +z; each vertex's z is jittered by up to
// `bumps`. Corners are offset by `corner`.
std::vector<Triangle> gridMesh(int nx, int ny, const UT_Vector3 &corner, float step, float bumps, std::mt19937 &rng);

// Triangles of random orientation and size in the cube corner + [0, extent]^3.
std::vector<Triangle> triangleSoup(int count, const UT_Vector3 &corner, float extent, float size, std::mt19937 &rng);

// Needles and slivers: a long edge of length `size` and a third corner at
// distance size/aspect from it, for aspects spread from 10 to 1e7, some with
// the third corner beyond the long edge's ends (obtuse slivers).
std::vector<Triangle> needles(int count, const UT_Vector3 &corner, float extent, float size, std::mt19937 &rng);

// Six walls of a 12-unit cube about the coordinate origin, facing inwards,
// so that rays from inside meet their fronts; 16 by 16 squares a side.
std::vector<Triangle> closedRoom(std::mt19937 &rng);

// Rays from random origins in corner + [0, extent]^3 aimed exactly at
// corners, at points on edges (midpoints and random) and at interior points of
// the given triangles.
std::vector<TestRay> raysAtFeatures(const std::vector<Triangle> &targets, int count, const UT_Vector3 &corner,
                                    float extent, std::mt19937 &rng);

// Rays from random origins in random directions.
std::vector<TestRay> randomRays(int count, const UT_Vector3 &corner, float extent, std::mt19937 &rng);

// Rays that skim the plane z = height of a grid, starting within `above` of
// it, with directions only slightly tilted towards it.
std::vector<TestRay> grazingRays(int count, const UT_Vector3 &corner, float extent, float height, std::mt19937 &rng);

// Rays that leave the surfaces of `triangles`, as later generations of the
// tracer do: each incoming ray's exact nearest hit becomes an origin, and
// the direction is, by turns, the incoming one mirrored about the struck
// triangle's plane, a random one on the side the ray came from, one grazing
// the plane (tilted off it by 0 to 1e-3 radians to either side, or lying in
// it) and a random one. Incoming rays that miss are skipped.
std::vector<TestRay> raysLeavingSurfaces(const std::vector<Triangle> &triangles, const std::vector<TestRay> &incoming,
                                         std::mt19937 &rng);

// Number of rays on which the two searches disagree, with a message for the
// first few; a ray agrees when both report no hit, or both report the same
// primitive and bit-identical hits. The structure is asked with every width
// of child test the processor runs.
int countDisagreements(const std::vector<Triangle> &triangles, const std::vector<int64_t> &primitiveIndex,
                       const std::vector<TestRay> &rays, int *hits = nullptr);
