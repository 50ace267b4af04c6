// Decoding the value lists of numeric .geo attributes.
//
// A numeric attribute's "values" list holds `count` tuples of `tupleSize`
// components in one of three encodings: "tuples" (one array per element),
// "arrays" (one array per component) or the paged form ("pagesize",
// "packing", "constantpageflags", "rawpagedata"), where a page of a packing
// group may be stored as a single constant group-tuple. Decoded values go
// straight to a sink, normally the attribute's own pages: a large file is
// then held in memory only as its text, its parsed form and the geometry.
//
// Numbers are parsed to double and then checked against the storage: real
// storages take each token's own value, sign included ("-0" is -0.0), and
// any number whose rounding stays finite, plus the strings
// "nan", "inf" and "-inf" (plain JSON has no non-finite numbers; the writer
// emits these tokens instead); integer storages take integers in their range
// (an integral number such as 2.0 is accepted) and are kept as int64 so that
// 64-bit values survive exactly.
#pragma once

#include "io/geo/geo_type_tokens.h"
#include "io/geo/json_access.h"

#include <cstdint>
#include <vector>

struct NumberRule
{
    explicit NumberRule(GA_Storage storage);

    GA_Storage storage;
    bool real;
    double overflow;     // real storages: magnitudes from here on are refused
    IntegerRange range;  // integer storages
};

// Receives decoded values: components first .. first + count - 1 of one
// element. Whole tuples, single components (the "arrays" form) and packing
// groups (the paged form) all arrive this way. T is double for real
// storages and int64_t for integer ones.
template <typename T>
class ValueSink
{
public:
    virtual ~ValueSink() = default;
    virtual void put(int64_t element, int64_t first, int64_t count, const T *values) = 0;
};

// Decodes the encoding keys of one "values" list (its "size" and "storage"
// are the caller's) into sink. The caller has charged count * tupleSize to
// ctx's value budget.
void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, ValueSink<double> &sink);
void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, ValueSink<int64_t> &sink);

// A plain array of numbers, such as the "values" of "defaults"; non-finite
// tokens are accepted. At most maxCount values are kept.
std::vector<double> decodeNumberArray(GeoReadContext &ctx, JsonValue list, size_t maxCount);
