// A first pass over Wavefront OBJ text.
//
// The OBJ loader resolves faces and their relative indices but gives no line
// numbers and reads a malformed number as 0 without complaint. This pass
// walks the lines itself: it checks every vertex and normal statement, reads
// their numbers correctly rounded to float (the same text always gives the
// same bits, on every platform), and records the line and corner count of
// each face, so that errors found later can still name the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ObjScan
{
    std::vector<float> positions;       // x, y, z of each "v"
    std::vector<float> normals;         // x, y, z of each "vn"
    std::vector<int64_t> faceLines;     // line of each "f"
    std::vector<int64_t> faceCorners;   // corner count of each "f"
    int64_t skippedElements = 0;        // "l" and "p" statements
};

// Fills scan; on a malformed statement returns false with error set to
// "line N: ...".
bool scanObjText(std::string_view text, ObjScan &scan, std::string &error);
