#include "io/obj/obj_line_scan.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace
{
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits a line into blank-separated tokens.
void tokenize(std::string_view line, std::vector<std::string_view> &tokens)
{
    tokens.clear();
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
}

bool parseFloat(std::string_view token, float &value)
{
    if (!token.empty() && token[0] == '+')
        token.remove_prefix(1);
    const char *end = token.data() + token.size();
    const std::from_chars_result r = std::from_chars(token.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

// Reads the first three numbers of a "v" or "vn" statement; further numbers
// (w, or vertex colours) are allowed and ignored.
// Sets why when the statement is malformed.
void readTriple(const std::vector<std::string_view> &tokens, std::vector<float> &out, std::string &why)
{
    if (tokens.size() < 4)
    {
        why = "expected 3 numbers after \"" + std::string(tokens[0]) + "\"";
        return;
    }
    for (size_t i = 1; i <= 3; ++i)
    {
        float value = 0;
        if (!parseFloat(tokens[i], value))
        {
            why = "expected a finite 32-bit number, found \"" + std::string(tokens[i].substr(0, 40)) + "\"";
            return;
        }
        out.push_back(value);
    }
}

// Reads a whole token as a nonzero decimal integer.
bool parseReference(std::string_view token, int64_t &value)
{
    if (!token.empty() && token[0] == '+')
        token.remove_prefix(1);
    const char *end = token.data() + token.size();
    const std::from_chars_result r = std::from_chars(token.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && value != 0;
}

// A reference made zero-based: n counts from 1, -n from the latest of the
// `known` elements defined so far.
int64_t resolveReference(int64_t reference, int64_t known) { return reference > 0 ? reference - 1 : known + reference; }

// Reads the corners of an "f" statement: "v", "v/vt", "v//vn" or "v/vt/vn"
// each. Texture references are checked and ignored.
void readFace(const std::vector<std::string_view> &tokens, ObjScan &scan, std::string &why)
{
    if (tokens.size() < 4)
    {
        why = "a face needs at least 3 corners, found " + std::to_string(tokens.size() - 1);
        return;
    }
    const int64_t vertices = int64_t(scan.positions.size() / 3);
    const int64_t normals = int64_t(scan.normals.size() / 3);
    for (size_t k = 1; k < tokens.size(); ++k)
    {
        const std::string_view token = tokens[k];
        const size_t first = token.find('/');
        const size_t second = first == std::string_view::npos ? first : token.find('/', first + 1);
        const std::string_view vertexText = token.substr(0, first);
        const std::string_view textureText =
            first == std::string_view::npos ? std::string_view() : token.substr(first + 1, second - first - 1);
        const bool hasNormal = second != std::string_view::npos;
        int64_t vertex = 0, texture = 0, normal = 0;
        if (!parseReference(vertexText, vertex) || (!textureText.empty() && !parseReference(textureText, texture)) ||
            (hasNormal && !parseReference(token.substr(second + 1), normal)))
        {
            why = "corner " + std::to_string(k) + ": expected a reference such as 3, 3/1, 3//2 or 3/1/2 (counted " +
                  "from 1, or back from the latest when negative), found \"" + std::string(token.substr(0, 40)) + "\"";
            return;
        }
        ObjCorner corner;
        corner.vertex = resolveReference(vertex, vertices);
        if (hasNormal)
            corner.normal = resolveReference(normal, normals);
        if (corner.vertex < 0 || (hasNormal && corner.normal < 0))
        {
            const bool badVertex = corner.vertex < 0;
            why = "corner " + std::to_string(k) + " refers to " + (badVertex ? "vertex " : "normal ") +
                  std::to_string(badVertex ? vertex : normal) + ", but only " +
                  std::to_string(badVertex ? vertices : normals) + (badVertex ? " vertices" : " normals") +
                  " come before it";
            return;
        }
        scan.corners.push_back(corner);
    }
}
}  // namespace

bool scanObjText(std::string_view text, ObjScan &scan, std::string &error)
{
    std::vector<std::string_view> tokens;
    int64_t line = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        // Lines end at "\n", "\r\n" or a lone "\r".
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::string_view content = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        ++line;
        if (content.find('\0') != std::string_view::npos)
        {
            error = "line " + std::to_string(line) + ": contains a NUL character; an OBJ file is text";
            return false;
        }
        tokenize(content, tokens);
        if (tokens.empty())
            continue;
        const std::string_view keyword = tokens[0];
        std::string why;
        if (keyword == "v")
            readTriple(tokens, scan.positions, why);
        else if (keyword == "vn")
            readTriple(tokens, scan.normals, why);
        else if (keyword == "f")
        {
            readFace(tokens, scan, why);
            scan.faceLines.push_back(line);
            scan.faceCorners.push_back(int64_t(tokens.size()) - 1);
        }
        else if (keyword == "l" || keyword == "p")
            ++scan.skippedElements;
        if (!why.empty())
        {
            error = "line " + std::to_string(line) + ": " + why;
            return false;
        }
    }
    return true;
}
