// Writing geometry as ASCII JSON .geo files for a 15.x host.
//
// The layout is the one older hosts write and every later one reads: keys in
// a fixed order, "fileversion" 15.5.565, "hasindex" false, the three counts, a
// small "info", the vertex-to-point topology, the point attributes ("P" first,
// then the others in the geometry's dictionary order; "tuples" for tuples of
// two or more components, "arrays" for single components) and the polygons
// as generic "run" entries of runtype "Poly". Numbers follow the host's own
// style ("%.9g" for 32-bit floats, 17 digits for 64-bit, integers without a
// decimal point), so the same geometry always gives the same bytes and reads
// back to identical bits.
//
// Non-finite values cannot be written as JSON numbers. Rather than refuse the
// whole file, the writer puts the strings "nan", "inf" or "-inf" in their
// place (this project's reader reads them back) and returns a warning per
// attribute naming the first point and the count, because other readers,
// the host included, may refuse such a file.
//
// Files are written to a temporary file beside the target and renamed into
// place, so a failed write never leaves a partial file behind.
#pragma once

#include "io/io_result.h"

#include <GU/GU_Detail.h>

#include <functional>
#include <map>
#include <string>

struct GeoWriteOptions
{
    // Tokens to write for attributes whose type-information code has no
    // spelling of its own, by attribute name; a read reports them in
    // GeometryReadInfo::typeTokens. Without one such an attribute is written
    // with the token "unknown", which reads back as GA_TYPE_UNKNOWN.
    std::map<std::string, std::string> typeTokens;
    // Polled between blocks of output (every few megabytes) by writeGeoFile;
    // returning true abandons the write, removes the temporary file and
    // leaves the target untouched (for an interrupt such as Ctrl-C).
    std::function<bool()> interrupted;
};

// Formats gdp as .geo text into `text` (replacing its contents).
IoResult formatGeoText(const GU_Detail &gdp, std::string &text, const GeoWriteOptions &options = {});

// Writes gdp to the .geo file at path (UTF-8), replacing it only on success.
IoResult writeGeoFile(const std::string &path, const GU_Detail &gdp, const GeoWriteOptions &options = {});
