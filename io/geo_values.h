// Decoding the value lists of numeric .geo attributes.
//
// A numeric attribute's "values" list holds `count` tuples of `tupleSize`
// components in one of three encodings: "tuples" (one array per element),
// "arrays" (one array per component) or the paged form ("pagesize",
// "packing", "constantpageflags", "rawpagedata"), where a page of a packing
// group may be stored as a single constant group-tuple. All three decode to
// the same element-major buffer.
//
// Numbers are parsed to double and then checked against the storage: real
// storages take any number whose rounding stays finite, plus the strings
// "nan", "inf" and "-inf" (plain JSON has no non-finite numbers; the writer
// emits these tokens instead); integer storages take integers in their range
// (an integral number such as 2.0 is accepted) and are kept as int64 so that
// 64-bit values survive exactly.
#pragma once

#include "io/geo_type_tokens.h"
#include "io/json_access.h"

#include <cstdint>
#include <vector>

struct NumberRule
{
    explicit NumberRule(GA_Storage storage);

    GA_Storage storage;
    bool real;
    double overflow;    // real storages: magnitudes from here on are refused
    IntegerRange range; // integer storages
};

struct DecodedValues
{
    std::vector<double> reals;     // real storages, element-major
    std::vector<int64_t> integers; // integer storages, element-major
};

// Decodes the encoding keys of one "values" list (its "size" and "storage"
// are the caller's). The decoded size is charged to ctx's value budget before
// anything is allocated.
void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, DecodedValues &out);

// A plain array of numbers, such as the "values" of "defaults"; non-finite
// tokens are accepted. At most maxCount values are kept.
std::vector<double> decodeNumberArray(GeoReadContext &ctx, simdjson::dom::element list, size_t maxCount);
