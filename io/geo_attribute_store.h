// Creating decoded point attributes on a geometry.
//
// Real attributes of 32 and 64 bits are created interleaved (one paged array
// of whole tuples): for three 32-bit floats that is the layout whose page
// table the tracer reads without a call per value. Every other storage keeps
// one paged array per component. "P" is created first, then the others in
// file order, so the attribute dictionary lists them the way the file did.
#pragma once

#include "io/geo_attributes.h"

#include <GU/GU_Detail.h>

#include <vector>

// Adds every attribute to gdp, whose points must already exist (one per
// decoded element, offsets 0 to count - 1). Type tokens without a code are
// recorded in ctx.info.typeTokens.
void addPointAttributes(GeoReadContext &ctx, const std::vector<DecodedAttribute> &attributes, GU_Detail &gdp);
