// The statements of Wavefront OBJ text, checked line by line.
//
// This is the one pass the OBJ reader makes over the text. It walks the lines
// itself, so every error can name its line: it checks every vertex, normal
// and face statement, reads numbers correctly rounded to float (the same
// text always gives the same bits, on every platform), and resolves each
// face corner's vertex and normal references, relative ones (-1 is the
// latest) included. A face may have any number of corners; the only limit is
// memory. Whether a reference names an existing vertex or normal is checked
// by the reader, once the whole file is known.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int64_t kNoObjNormal = INT64_MIN;

// One face corner: zero-based vertex and normal numbers as the file gives
// them (positive references less one, relative ones resolved), unchecked.
struct ObjCorner
{
    int64_t vertex = 0;
    int64_t normal = kNoObjNormal;  // kNoObjNormal: the corner names no normal
};

struct ObjScan
{
    std::vector<float> positions;      // x, y, z of each "v"
    std::vector<float> normals;        // x, y, z of each "vn"
    std::vector<int64_t> faceLines;    // line of each "f"
    std::vector<int64_t> faceCorners;  // corner count of each "f"
    std::vector<ObjCorner> corners;    // the corners of every face, face after face
    int64_t skippedElements = 0;       // "l" and "p" statements
};

// Fills scan; on a malformed statement returns false with error set to
// "line N: ...".
bool scanObjText(std::string_view text, ObjScan &scan, std::string &error);
