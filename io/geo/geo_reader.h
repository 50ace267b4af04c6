// Reading ASCII JSON .geo files into a geometry.
//
// The file is read in place, front to back, without a tree of the document
// (io/json/json_document.h): the header counts, the vertex-to-point topology, the
// point attributes (numeric and string; vertex, primitive and detail
// attributes and groups are skipped and counted) and the polygons. Number
// lists go straight into attribute pages, so a read needs about the file's
// size plus the geometry in memory. Everything is checked against the counts
// before the geometry is touched: list lengths, index ranges, primitive
// totals, and limits that keep a small file from claiming billions of
// elements. Any problem refuses the file with a message naming the file, the
// JSON location and what was expected; the geometry is then left empty. A
// file that is not valid JSON anywhere is refused for that first, with the
// line and column of the fault, as if it had been parsed whole.
//
// The legacy text format starting with "PGEOMETRY", binary and compressed
// files are recognised and refused with a message that says so.
#pragma once

#include "io/io_result.h"

#include <GU/GU_Detail.h>

#include <string>
#include <string_view>

// Reads the .geo file at path (UTF-8) into gdp, replacing its contents.
GeometryReadResult readGeoFile(const std::string &path, GU_Detail &gdp);

// Reads .geo text held in memory; name stands for the file in messages.
GeometryReadResult readGeoText(std::string_view text, const std::string &name, GU_Detail &gdp);
