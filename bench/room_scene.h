// A procedural closed room with objects inside, and random rays from within
// it: the standard scene for timing the nearest-hit search, the tracer and
// whole cooks at any size.
//
// The room is a cube of side 100 centred on the origin whose walls face
// inwards; inside stand spheres and boxes facing outwards, so a ray from any
// point inside meets a front face. The generator uses its own uniform draws
// from the 32-bit Mersenne Twister rather than the standard distributions,
// whose output differs between standard libraries: a seed gives the same
// scene on every platform.
#pragma once

#include "math/vector_math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct RoomScene
{
    std::vector<UT_Vector3> points;
    std::vector<std::array<int32_t, 3>> triangles;  // point numbers; met by rays along their normal
    uint32_t seed = 0;                              // places the objects
};

struct SceneRay
{
    UT_Vector3 origin;
    UT_Vector3 direction;  // unit length up to rounding
};

// A room of roughly targetTriangles triangles (within a few percent; at
// least a few hundred).
RoomScene makeRoomScene(size_t targetTriangles, uint32_t seed = 1);

// The triangles' corners, in triangle order.
std::vector<Triangle> sceneTriangles(const RoomScene &scene);

// Rays from uniformly random points of the room's air (outside every object)
// in uniformly random directions.
std::vector<SceneRay> makeRoomRays(const RoomScene &scene, size_t count, uint32_t seed = 2);
