// Reading the primitives of a .geo file.
//
// Polygons come in three forms: one "Poly" per entry, a generic "run" of
// runtype "Poly" (one item per polygon, fields named by "varyingfields",
// shared ones in "uniformfields"), and "Polygon_run" / "PolygonCurve_run"
// (closed / open), whose vertices are implicit and consecutive from
// "startvertex", with per-polygon counts as a plain list ("nvertices") or
// run-length pairs ("nvertices_rle"); abbreviated keys are accepted. Every
// other primitive type is skipped but counted, so that the total can be
// checked against "primitivecount".
//
// Polygons are gathered as point numbers (through the topology's
// vertex-to-point map) and added to the geometry only after the whole file
// has been read.
#pragma once

#include "io/geo/json_access.h"

#include <GA/GA_Types.h>

#include <cstdint>
#include <vector>

struct PolygonList
{
    std::vector<GA_Offset> corners;  // point number of each corner, polygon after polygon
    std::vector<int64_t> starts{0};  // first corner of each polygon, plus the end
    std::vector<uint8_t> closed;     // one flag per polygon

    int64_t size() const { return int64_t(closed.size()); }
};

// Reads the value of "primitives". vertexPoints maps vertex numbers to point
// numbers; primitiveCount is the header's count, which the primitives of all
// kinds must match exactly.
void readPrimitives(GeoReadContext &ctx, JsonValue list, const std::vector<int64_t> &vertexPoints,
                    int64_t primitiveCount, PolygonList &polygons);
