// The demo's scene, built in code so `velkor demo` needs no files: a closed
// room with a block standing in it, and a lamp of emitter points.
//
// The room spans x -3..3, y 0..3, z -2..2; each wall is a grid of
// quadsPerSide x quadsPerSide quads, two triangles each, with points of its
// own so that every point carries its wall's values:
//   P  (type code 1)  position
//   N  (type code 3)  direction: the normal pointing into the room
//   Cs (type code 4)  intensity factor, below 1 and different per wall
// The node meets a triangle from its front, where the ray runs along the
// triangle's winding normal cross(P1 - P0, P2 - P0); walls are wound so that
// normal points out of the room (rays from inside meet them), the block's
// faces so it points into the block (rays from the room meet them). The
// block has no bottom face: it stands on the floor.
//
// The emitters sit on a small sphere round a lamp below the ceiling, each
// pointing away from the lamp's centre, with intensity (1, 1, 1). Their
// directions come from a low-discrepancy sequence mapped through an
// octahedron and normalised: only additions, products and square roots, so
// the scene has the same bits on every platform.
#pragma once

#include "cli/cook_options.h"

#include <GU/GU_Detail.h>

#include <cstdint>
#include <memory>

struct DemoSceneSize
{
    int quadsPerSide = 16;  // per wall side: 16 gives 3,072 wall triangles
    int64_t emitters = 256;
};

struct DemoScene
{
    std::shared_ptr<GU_Detail> points;
    std::shared_ptr<GU_Detail> collider;
};

// Sizes below 1 are raised to 1.
DemoScene makeDemoScene(const DemoSceneSize &size);

// Parameters that scatter over several generations: bounces 4, scatter 60,
// scatternum 8, dissipation 0.5 (1 + 4 + 8 + 8 rays per emitter at most).
NodeParameters demoParameters();
