// Where the .geo reader is inside the JSON tree, for error messages.
//
// The reader walks the document depth first and keeps a stack of the keys
// and array indices it descended through. Pushing and popping are cheap
// (views into the document, no strings built); the text form, such as
// `attributes/pointattributes[2]/values/tuples[17]`, is made only when an
// error is raised. Errors travel as GeoFormatError inside the reader and are
// turned into an IoResult at its entry point.
#pragma once

#include "io/json/json_document.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class JsonPath
{
public:
    void pushKey(std::string_view key) { mySegments.push_back({key, 0, false}); }
    void pushIndex(uint64_t index) { mySegments.push_back({{}, index, true}); }
    void pop() { mySegments.pop_back(); }

    // "attributes/pointattributes[2]/values"; "(top level)" when empty.
    std::string str() const;

private:
    struct Segment
    {
        std::string_view key;
        uint64_t index;
        bool isIndex;
    };
    std::vector<Segment> mySegments;
};

// Pushes one segment for the lifetime of the scope.
class PathScope
{
public:
    PathScope(JsonPath &path, std::string_view key) : myPath(path) { path.pushKey(key); }
    PathScope(JsonPath &path, uint64_t index) : myPath(path) { path.pushIndex(index); }
    ~PathScope() { myPath.pop(); }
    PathScope(const PathScope &) = delete;
    PathScope &operator=(const PathScope &) = delete;

private:
    JsonPath &myPath;
};

// A malformed document: where and what was wrong.
class GeoFormatError : public std::runtime_error
{
public:
    GeoFormatError(std::string location, const std::string &what)
        : std::runtime_error(what), myLocation(std::move(location))
    {}
    const std::string &location() const { return myLocation; }

private:
    std::string myLocation;
};

// Throws a GeoFormatError at the current path.
[[noreturn]] void failAt(const JsonPath &path, const std::string &what);
// The same, one array index below the current path (for hot loops that do
// not push a segment per element).
[[noreturn]] void failAtIndex(const JsonPath &path, uint64_t index, const std::string &what);

// A short description of a JSON value for "found ..." in messages:
// `a string "abc"`, `the number 1.5`, `an array of 4 items`, `null`.
std::string describeElement(JsonValue element);
