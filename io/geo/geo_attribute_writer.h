// Writing the point attributes of a geometry as .geo JSON.
//
// Numeric attributes are written from their paged arrays in their own storage
// (no conversion, so values read back bit for bit); string attributes as a
// table of unique strings in order of first use plus per-element indices, -1
// for an unset string.
#pragma once

#include "io/geo/geo_writer.h"
#include "io/json/json_text.h"

#include <GU/GU_Detail.h>

#include <string>
#include <vector>

// Writes the value of "pointattributes": "P" first (zero positions, with a
// warning, when the geometry has none), then every other point attribute in
// dictionary order. Non-finite values and type codes without a token add
// warnings.
void writePointAttributes(JsonText &json, const GU_Detail &gdp, const GeoWriteOptions &options,
                          std::vector<std::string> &warnings);
