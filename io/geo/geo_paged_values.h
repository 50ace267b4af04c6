// The paged value encoding of numeric .geo attributes.
//
// Elements are cut into pages of "pagesize" (the last one shorter), and the
// tuple into the consecutive component groups of "packing" (absent: the whole
// tuple). "rawpagedata" holds, page by page and group by group within a page,
// either one group-tuple when "constantpageflags" marks that group constant
// on that page, or the group-tuples of every element of the page. Missing or
// short flag arrays mean "not constant". The raw data must be used up
// exactly. Host ASCII files do not use this form; third-party writers and the
// binary flavour do.
#pragma once

#include "io/geo/geo_values.h"

#include <cstdint>
#include <vector>

template <typename T>
using ValueReader = T (*)(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index,
                          int64_t component);

// Decodes the paged keys of `values` into sink, one packing group of one
// element at a time.
template <typename T>
void decodePagedValues(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t size,
                       const NumberRule &rule, ValueSink<T> &sink, ValueReader<T> read);

extern template void decodePagedValues<double>(GeoReadContext &, const KeyValueList &, int64_t, int64_t,
                                               const NumberRule &, ValueSink<double> &, ValueReader<double>);
extern template void decodePagedValues<int64_t>(GeoReadContext &, const KeyValueList &, int64_t, int64_t,
                                                const NumberRule &, ValueSink<int64_t> &, ValueReader<int64_t>);
