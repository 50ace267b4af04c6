// Reading the point attributes of a .geo file.
//
// Each attribute is `[header, body]`, both key/value lists. Each header is
// checked (name, kind, type information), then each numeric or string
// attribute is created on the geometry and its values are decoded straight
// into it where they stand in the text: "P" first, then the others in file
// order, so the attribute dictionary lists them the way the file did. Other kinds
// ("arraydata", "dict", ...) are skipped whole and counted.
//
// Real attributes of 32 and 64 bits are created interleaved (one paged array
// of whole tuples): for three 32-bit floats that is the layout whose page
// table the tracer reads without a call per value. Every other storage keeps
// one paged array per component.
//
// One conversion happens here: a position "P" stored as a 4-component
// "hpoint" (files of older hosts) becomes the 3-component "point" position
// that current hosts hold; the dropped w is reported when it is not 1
// somewhere.
#pragma once

#include "io/geo/json_access.h"

#include <GU/GU_Detail.h>

// Reads the value of "pointattributes" into gdp, whose points (one per
// element, from offset `first`) already exist. Type tokens without a code
// are recorded in ctx.info.typeTokens.
void readPointAttributes(GeoReadContext &ctx, JsonValue list, GU_Detail &gdp, GA_Offset first);
