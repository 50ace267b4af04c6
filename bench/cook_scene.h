// The rays and triangles of a `velkor cook` of two files, read the way the
// node reads them, for tracers that must trace exactly the cook's rays.
//
// Triangles are the first three corners of every primitive with three or
// more vertices, from the collider's first position attribute; rays start at
// the first position of each point and run along the node's primary
// direction for the point's first direction attribute (the stored direction
// turned from +Z, hence of unit length up to rounding).
#pragma once

#include "math/vector_math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct CookScene
{
    std::vector<UT_Vector3> colliderPoints;
    std::vector<std::array<int32_t, 3>> triangles;  // collider point numbers
    std::vector<UT_Vector3> origins;
    std::vector<UT_Vector3> directions;
};

// False, with a message naming the file, when a file cannot be read or lacks
// the attributes the node needs.
bool loadCookScene(const std::string &pointsPath, const std::string &colliderPath, CookScene &scene,
                   std::string &error);

// The triangles' corners, in triangle order.
std::vector<Triangle> cookTriangles(const CookScene &scene);
