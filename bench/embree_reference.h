// A reference tracer on Embree 3, for the benchmarks only: the node never
// uses it.
//
// The node's triangles are one-sided: a ray meets a triangle only when it
// travels along the winding normal cross(P1 - P0, P2 - P0), i.e. it sees
// the triangle wound clockwise. Embree's optional back-face culling keeps the
// opposite side, and Debian's build has it switched off anyway; so when
// culling is compiled in the triangles are handed over with two corners
// swapped, and otherwise an intersection filter rejects every candidate hit
// from the other side, which lets the traversal go on to the next candidate
// as true culling would (at some cost: the filter runs per candidate).
//
// The device runs on one thread ("threads=1"); rays are traced one by one
// with rtcIntersect1, which suits incoherent rays.
#pragma once

#include "math/vector_math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct EmbreeHit
{
    int64_t triangle = -1;  // index into the triangle list; -1 when nothing was hit
    float distance = 0.0f;  // along the ray, for unit-length directions
};

enum class Sidedness
{
    OneSided,  // as the node: only hits from the side the winding normal faces away from
    TwoSided   // every hit (for comparison: the plain speed of the library)
};

class EmbreeReference
{
public:
    EmbreeReference();
    ~EmbreeReference();
    EmbreeReference(const EmbreeReference &) = delete;
    EmbreeReference &operator=(const EmbreeReference &) = delete;

    // Builds the scene, replacing any earlier one. False with a message when
    // the library refuses the device or the scene.
    bool build(const std::vector<UT_Vector3> &points, const std::vector<std::array<int32_t, 3>> &triangles,
               Sidedness sidedness, std::string &error);

    void trace(const UT_Vector3 *origins, const UT_Vector3 *directions, size_t count, EmbreeHit *hits) const;

    // How one-sidedness is obtained: "back-face culling (corners swapped)",
    // "intersection filter" or "none (two-sided)".
    std::string sidednessMethod() const { return myMethod; }
    static std::string version();

private:
    void release();

    struct Handles;
    Handles *myHandles;
    std::string myMethod;
};
