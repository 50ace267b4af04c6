// The entry points the command-line host uses for geometry files.
//
// readGeometryFile picks the reader by the file's extension: ".geo" (ASCII
// JSON) for points and colliders, ".obj" (Wavefront) for colliders. Anything
// else is refused with a message that names the file and the extensions
// understood. Writing is always .geo (see io/geo/geo_writer.h). No function here
// throws; results carry an ok flag, a message and warnings.
#pragma once

#include "io/geo/geo_reader.h"
#include "io/geo/geo_writer.h"
#include "io/io_result.h"
#include "io/obj/obj_reader.h"

#include <GU/GU_Detail.h>

#include <string>

// Reads path into gdp, replacing its contents; on failure gdp is left empty.
GeometryReadResult readGeometryFile(const std::string &path, GU_Detail &gdp);
