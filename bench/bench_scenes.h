// Room scenes, their rays and their hierarchies, made once per size and
// shared by every benchmark of the run, so that no benchmark times setup.
#pragma once

#include "accel/collider_bvh.h"
#include "bench/room_scene.h"

#include <cstddef>
#include <vector>

// The room of about n triangles, as corner triples.
const std::vector<Triangle> &roomTriangles(size_t n);

// One million rays from inside the room of about n triangles.
const std::vector<SceneRay> &roomRays(size_t n);

// The hierarchy over roomTriangles(n).
const ColliderBvh &roomBvh(size_t n);

// Number of worker threads for a benchmark argument: 0 means all.
int benchThreads(long argument);
