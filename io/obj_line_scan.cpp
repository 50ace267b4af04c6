#include "io/obj_line_scan.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace
{
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

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
} // namespace

bool scanObjText(std::string_view text, ObjScan &scan, std::string &error)
{
    std::vector<std::string_view> tokens;
    int64_t line = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        // Lines end at "\n", "\r\n" or a lone "\r", as the loader splits them.
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
            if (tokens.size() < 4)
                why = "a face needs at least 3 corners, found " + std::to_string(tokens.size() - 1);
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
