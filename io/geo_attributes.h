// Reading the point attributes of a .geo file.
//
// Each attribute is `[header, body]`, both key/value lists. Numeric and
// string point attributes are decoded in full before anything is added to
// the geometry, so a malformed attribute leaves nothing half built. Other
// attribute kinds ("arraydata", "dict", ...) are skipped whole and counted.
//
// One conversion happens here: a position "P" stored as a 4-component
// "hpoint" (files of older hosts) becomes the 3-component "point" position
// that current hosts hold; the dropped w component is reported when it is not
// 1 anywhere.
#pragma once

#include "io/geo_values.h"
#include "io/json_access.h"

#include <GA/GA_Types.h>

#include <cstdint>
#include <string>
#include <vector>

struct DecodedAttribute
{
    bool isString = false;
    std::string name;
    GA_AttributeScope scope = GA_SCOPE_PUBLIC;
    int32_t typeInfo = GA_TYPE_VOID;
    std::string typeToken; // the file's token, kept when typeInfo is GA_TYPE_UNKNOWN
    int64_t tupleSize = 1;

    // Numeric attributes.
    GA_Storage storage = GA_STORE_INVALID;
    std::vector<double> defaults;
    DecodedValues values;

    // String attributes: the table and, per element and component, an index
    // into it (-1 for no string).
    std::vector<std::string> strings;
    std::vector<int64_t> stringIndices;
};

// Reads the value of "pointattributes" for pointCount points.
std::vector<DecodedAttribute> readPointAttributes(GeoReadContext &ctx, simdjson::dom::element list,
                                                  int64_t pointCount);
