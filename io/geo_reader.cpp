#include "io/geo_reader.h"

#include "io/file_access.h"
#include "io/geo_attributes.h"
#include "io/geo_primitives.h"
#include "io/json_access.h"
#include "io/json_syntax_error.h"
#include "io/platform.h"

#include <simdjson.h>

#include <exception>
#include <new>
#include <vector>

using simdjson::dom::element;

namespace
{
// Refuses what is plainly not a JSON .geo file before parsing it.
void checkLeadingBytes(std::string_view text)
{
    size_t i = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        i = 3; // a UTF-8 byte order mark is skipped, as JSON parsers allow
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    const std::string_view rest = text.substr(i);
    if (rest.empty())
        throw GeoFormatError("(top level)", "the file is empty");
    if (rest.substr(0, 9) == "PGEOMETRY")
        throw GeoFormatError("line 1", "legacy PGEOMETRY text format; only the JSON .geo format (written by "
                                       "hosts from version 12 on) can be read");
    if (rest[0] == '\x7f')
        throw GeoFormatError("byte 0", "binary JSON (.bgeo) data; only the ASCII JSON .geo format can be read");
    if (rest.substr(0, 2) == "\x1f\x8b" || rest.substr(0, 4) == "BLSC")
        throw GeoFormatError("byte 0", "compressed data; decompress the file to ASCII .geo first");
    if (rest[0] != '[')
        throw GeoFormatError("byte " + std::to_string(i),
                             "expected a JSON array starting with '[', the start of a .geo file");
}

int64_t readCount(GeoReadContext &ctx, const KeyValueList &top, std::string_view key)
{
    const KeyValueField &field = requireField(ctx, top, key);
    PathScope scope(ctx.path, field.key);
    return expectCount(ctx, field.value, "an element count");
}

// topology: ["pointref", ["indices", [p0, p1, ...]]]
std::vector<int64_t> readTopology(GeoReadContext &ctx, const KeyValueList &top, int64_t pointCount,
                                  int64_t vertexCount)
{
    std::vector<int64_t> vertexPoints;
    const KeyValueField *topology = top.find("topology");
    if (!topology)
    {
        if (vertexCount != 0)
            failAt(ctx.path, "missing key \"topology\" (vertexcount is " + std::to_string(vertexCount) + ")");
        return vertexPoints;
    }
    PathScope scope(ctx.path, topology->key);
    const KeyValueList topologyList(ctx, topology->value, "a topology list");
    const KeyValueField &pointref = requireField(ctx, topologyList, "pointref");
    PathScope pointrefScope(ctx.path, pointref.key);
    const KeyValueList pointrefList(ctx, pointref.value, "a pointref list");
    const KeyValueField &indices = requireField(ctx, pointrefList, "indices");
    PathScope indicesScope(ctx.path, indices.key);
    const simdjson::dom::array list = expectArray(ctx, indices.value, "an array of point numbers");
    if (int64_t(list.size()) != vertexCount)
        failAt(ctx.path, "expected " + std::to_string(vertexCount) + " point numbers (vertexcount), found " +
                             std::to_string(list.size()));
    vertexPoints.reserve(size_t(vertexCount));
    uint64_t index = 0;
    for (element value : list)
    {
        int64_t point = -1;
        if (value.type() == simdjson::dom::element_type::INT64)
            point = value.get_int64().value_unsafe();
        if (point < 0 || point >= pointCount)
            failAtIndex(ctx.path, index, "expected a point number from 0 to " + std::to_string(pointCount - 1) +
                                             ", found " + describeElement(value));
        vertexPoints.push_back(point);
        ++index;
    }
    return vertexPoints;
}

void readGeometry(GeoReadContext &ctx, element root, GU_Detail &gdp)
{
    const KeyValueList top(ctx, root, "the top-level key/value list of a .geo file");
    if (const KeyValueField *field = top.find("fileversion"))
    {
        PathScope scope(ctx.path, field->key);
        ctx.info.fileVersion = std::string(expectString(ctx, field->value, "a version string"));
    }
    if (const KeyValueField *field = top.find("hasindex"))
    {
        PathScope scope(ctx.path, field->key);
        if (expectBool(ctx, field->value, "true or false"))
            failAt(ctx.path, "files with an index (hasindex true) are not supported; ASCII .geo files "
                             "have hasindex false");
    }
    const int64_t pointCount = readCount(ctx, top, "pointcount");
    const int64_t vertexCount = readCount(ctx, top, "vertexcount");
    const int64_t primitiveCount = readCount(ctx, top, "primitivecount");
    {
        PathScope scope(ctx.path, "pointcount");
        ctx.chargeValues(pointCount, "pointcount " + std::to_string(pointCount));
    }
    const std::vector<int64_t> vertexPoints = readTopology(ctx, top, pointCount, vertexCount);

    // The points, then their attributes decoded straight into them; the
    // counts are checked, so the geometry cannot grow beyond the file.
    const GA_Offset first = gdp.appendPointBlock(pointCount);
    if (const KeyValueField *field = top.find("attributes"))
    {
        PathScope scope(ctx.path, field->key);
        const KeyValueList owners(ctx, field->value, "a list of attribute owners");
        bool pointsRead = false;
        for (const KeyValueField &owner : owners.fields())
        {
            PathScope ownerScope(ctx.path, owner.key);
            if (owner.key == "pointattributes" && !pointsRead)
            {
                readPointAttributes(ctx, owner.value, gdp, first);
                pointsRead = true;
            }
            else
                ctx.info.skippedAttributes +=
                    int64_t(expectArray(ctx, owner.value, "an array of attributes").size());
        }
    }

    PolygonList polygons;
    if (const KeyValueField *field = top.find("primitives"))
    {
        PathScope scope(ctx.path, field->key);
        readPrimitives(ctx, field->value, vertexPoints, primitiveCount, polygons);
    }
    else if (primitiveCount != 0)
        failAt(ctx.path, "missing key \"primitives\" (primitivecount is " + std::to_string(primitiveCount) + ")");

    for (const KeyValueField &field : top.fields())
    {
        const std::string_view suffix = "groups";
        if (field.key.size() > suffix.size() && field.key.substr(field.key.size() - suffix.size()) == suffix &&
            field.value.is_array())
            ctx.info.skippedGroups += int64_t(field.value.get_array().value_unsafe().size());
    }

    int64_t small = 0;
    std::vector<GA_Offset> corners;
    for (int64_t p = 0; p < polygons.size(); ++p)
    {
        const int64_t begin = polygons.starts[size_t(p)], end = polygons.starts[size_t(p) + 1];
        corners.clear();
        for (int64_t c = begin; c < end; ++c)
            corners.push_back(first + polygons.corners[size_t(c)]);
        small += corners.size() < 3 ? 1 : 0;
        gdp.appendPolygon(corners, polygons.closed[size_t(p)] != 0);
    }
    if (ctx.info.skippedPrimitives > 0)
        ctx.warnings.push_back(std::to_string(ctx.info.skippedPrimitives) +
                               " primitives that are not polygons were skipped");
    if (small > 0)
        ctx.warnings.push_back(std::to_string(small) + " polygons have fewer than 3 vertices");
}

// Large documents fill hundreds of megabytes of parser buffers; allocating
// them up front lets them be advised to use huge pages before the parser
// touches them (see io/platform.h). The sizes are lower bounds of what the
// parser allocates per byte of input: 8 bytes of tape, 4 of structural
// indexes and 5/3 of string buffer.
void adviseParserBuffers(simdjson::dom::parser &parser, size_t bytes)
{
    constexpr size_t kLarge = size_t(16) << 20;
    if (bytes < kLarge || parser.allocate(bytes) != simdjson::SUCCESS ||
        parser.doc.allocate(bytes) != simdjson::SUCCESS)
        return;
    adviseLargeBuffer(parser.doc.tape.get(), bytes * 8);
    adviseLargeBuffer(parser.doc.string_buf.get(), bytes / 3 * 5);
    if (parser.implementation)
        adviseLargeBuffer(parser.implementation->structural_indexes.get(), bytes * 4);
}

GeometryReadResult readDocument(std::string_view text, bool padded, const std::string &name, GU_Detail &gdp)
{
    GeometryReadResult result;
    try
    {
        gdp.clearAndDestroy();
        checkLeadingBytes(text);
        simdjson::dom::parser parser;
        adviseParserBuffers(parser, text.size());
        element root;
        const simdjson::error_code status = parser.parse(text.data(), text.size(), !padded).get(root);
        if (status != simdjson::SUCCESS)
        {
            const JsonSyntaxError syntax = locateJsonSyntaxError(text);
            if (syntax.found)
                throw GeoFormatError(syntax.location, "invalid JSON: " + syntax.reason);
            throw GeoFormatError("(top level)", std::string("invalid JSON: ") + simdjson::error_message(status));
        }
        GeoReadContext ctx(int64_t(text.size()));
        readGeometry(ctx, root, gdp);
        result.ok = true;
        result.info = std::move(ctx.info);
        result.warnings = std::move(ctx.warnings);
        for (std::string &warning : result.warnings)
            warning = name + ": " + warning;
    }
    catch (const GeoFormatError &error)
    {
        result.message = name + ": " + error.location() + ": " + error.what();
    }
    catch (const std::bad_alloc &)
    {
        result.message = name + ": out of memory while reading";
    }
    catch (const std::exception &error)
    {
        result.message = name + ": " + error.what();
    }
    if (!result.ok)
        gdp.clearAndDestroy();
    return result;
}
} // namespace

GeometryReadResult readGeoText(std::string_view text, const std::string &name, GU_Detail &gdp)
{
    return readDocument(text, false, name, gdp);
}

GeometryReadResult readGeoFile(const std::string &path, GU_Detail &gdp)
{
    FileBytes text;
    std::string error;
    GeometryReadResult result;
    try
    {
        if (!readWholeFile(path, text, simdjson::SIMDJSON_PADDING, error))
        {
            gdp.clearAndDestroy();
            result.message = error;
            return result;
        }
    }
    catch (const std::bad_alloc &)
    {
        gdp.clearAndDestroy();
        result.message = path + ": out of memory while reading";
        return result;
    }
    return readDocument(text.view(), true, path, gdp);
}
