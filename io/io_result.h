// Results of reading and writing geometry files.
//
// Nothing in io/ throws across its interface: every entry point returns one
// of these records instead, the way the command-line host wants to print
// them. A failed read or write carries one message that names the file, the
// place in it (a JSON location such as
// `attributes/pointattributes[2]/values/tuples[17]`, or a line number) and
// what was expected there. Warnings describe things that were read or written
// but deserve the user's attention (dropped components, non-finite values,
// skipped primitives).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct IoResult
{
    bool ok = false;
    std::string message;                // why the operation failed; empty on success
    std::vector<std::string> warnings;  // in the order they arose

    explicit operator bool() const { return ok; }
};

// What a read saw besides the geometry it built.
struct GeometryReadInfo
{
    std::string fileVersion;        // the file's "fileversion", when it has one
    int64_t skippedPrimitives = 0;  // primitives that are not polygons
    int64_t skippedAttributes = 0;  // vertex, primitive and detail attributes, and
                                    // point attributes that are neither numeric nor string
    int64_t skippedGroups = 0;      // point, primitive, edge and vertex groups
    // Type-information tokens that map to no known code, by point attribute
    // name. Such attributes carry GA_TYPE_UNKNOWN; handing this map to the
    // writer writes the original token back.
    std::map<std::string, std::string> typeTokens;
};

struct GeometryReadResult : IoResult
{
    GeometryReadInfo info;
};
