// What the command line does to a collider before the node sees it.
//
// In the host, a user wires a triangulating node and a normal node upstream
// of this one. The command line has no network to wire, so it does that
// work itself and says so in the summary:
//
// - Faces of more than three corners are cut into triangles (the node reads
//   only the first three corners of each). OBJ files are cut by default;
//   --keep-polygons keeps their faces as they are. .geo colliders, usually
//   saved from a network that already decided, are cut with --triangulate.
//   A collider that still holds such faces draws a warning.
// - A collider without a direction attribute gets one from its faces
//   (prep/face_directions.h). OBJ files without normals get it by default;
//   --collider-directions faces asks for it on .geo files too, keep never
//   computes. An existing direction attribute is never replaced.
//
// Directions are taken from the faces as they were read, before any
// cutting, so a face weighs by its whole area. A collider that needs
// nothing is handed to the node untouched, bit for bit.
#pragma once

#include <GU/GU_Detail.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CLI
{
class App;
}

struct ColliderOptions
{
    bool triangulate = false;   // --triangulate
    bool keepPolygons = false;  // --keep-polygons
    std::string directions;     // --collider-directions: "keep", "faces", or empty for the file type's default
};

// Adds --triangulate, --keep-polygons and --collider-directions.
void addColliderOptions(CLI::App &command, ColliderOptions &options);
// Adds --triangulate and --keep-polygons alone: what decides the collider's
// triangles, for commands that draw it.
void addColliderShapeOptions(CLI::App &command, ColliderOptions &options);

// What preparation will do to one collider.
struct ColliderPlan
{
    std::string path;
    std::string positionName;  // the attribute the node takes as position; empty: none
    int64_t polygons = 0;      // faces of more than three corners
    bool cut = false;          // they will be cut into triangles
    bool computeDirections = false;
    std::string directionName;  // the attribute computeDirections adds
};

ColliderPlan planColliderPreparation(const GU_Detail &collider, const std::string &path,
                                     const ColliderOptions &options);

// One line per step of the plan, for `velkor info`; empty when there is none.
std::vector<std::string> describeColliderPlan(const ColliderPlan &plan);

struct ColliderPreparation
{
    std::vector<std::string> notes;     // what was done, for the summary
    std::vector<std::string> warnings;  // what the user should know; they name the file
};

// Carries out the plan. collider is replaced by a new detail when faces are
// cut; it is changed in place when only directions are added.
ColliderPreparation prepareCollider(std::shared_ptr<GU_Detail> &collider, const ColliderPlan &plan);
