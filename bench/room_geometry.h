// The room scene as the node's two inputs, so that `velkor cook` can trace
// exactly the rays that the reference tracer traces.
//
// The collider carries P (type code 1), N (code 3) and Cs (code 4) per point;
// the points carry P, N and Cs with the rays' origins, directions and an
// intensity of (1, 1, 1). A point's N is the direction from which rays arrive
// at its triangles: the node turns an incoming ray about it, so it must point
// against the triangles' winding normals (a ray meets a triangle travelling
// along its winding normal). Points shared by several triangles, as on the
// spheres, take the normalised sum of their triangles' reversed normals.
#pragma once

#include "bench/room_scene.h"

#include <GU/GU_Detail.h>

#include <memory>
#include <vector>

std::unique_ptr<GU_Detail> roomColliderDetail(const RoomScene &scene);

std::unique_ptr<GU_Detail> roomPointsDetail(const std::vector<SceneRay> &rays);
