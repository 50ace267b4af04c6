// Reading Wavefront OBJ meshes as colliders.
//
// Every "v" becomes a point with the position "P" (type information "point",
// code 1) and every face a closed polygon on those points. Vertex normals
// become a direction attribute "N" with type information "vector" (code 3),
// one value per point: OBJ gives normals per face corner, so a point used by
// several faces may have several. When they all agree the point keeps that
// normal exactly; when they disagree it takes their normalised average (the
// corner normals summed, then scaled to unit length). A file without normals
// gets no "N" at all. The reader gives the file as it is; cutting faces into
// triangles and computing directions for the node is collider preparation
// (prep/), which the command line runs after reading.
// Lines ("l") and points ("p") are skipped with a warning; materials and
// texture coordinates are ignored.
#pragma once

#include "io/io_result.h"

#include <GU/GU_Detail.h>

#include <string>
#include <string_view>

// Reads the .obj file at path (UTF-8) into gdp, replacing its contents.
GeometryReadResult readObjFile(const std::string &path, GU_Detail &gdp);

// Reads OBJ text held in memory; name stands for the file in messages.
GeometryReadResult readObjText(std::string_view text, const std::string &name, GU_Detail &gdp);
