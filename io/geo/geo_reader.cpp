#include "io/geo/geo_reader.h"

#include "io/geo/geo_attributes.h"
#include "io/geo/geo_primitives.h"
#include "io/geo/json_access.h"
#include "io/json/json_number.h"
#include "io/json/json_syntax_error.h"
#include "io/read_failure.h"

#include <simdjson.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{
// Refuses what is plainly not a JSON .geo file before parsing it.
void checkLeadingBytes(std::string_view text)
{
    size_t i = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        i = 3;  // a UTF-8 byte order mark is skipped, as JSON parsers allow
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
std::vector<int64_t> readTopology(GeoReadContext &ctx, const KeyValueList &top, int64_t pointCount, int64_t vertexCount)
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
    const JsonArray list = expectArray(ctx, indices.value, "an array of point numbers");
    vertexPoints.reserve(size_t(vertexCount));
    int64_t index = 0;
    JsonArray::Iterator it = list.begin();
    for (; !it.atEnd() && index < vertexCount; ++it, ++index)
    {
        const JsonValue value = *it;
        JsonNumber number;
        int64_t point = -1;
        if (value.isNumber())
        {
            value.number(number);
            if (number.kind == JsonNumber::Int64)
                point = number.integer;
        }
        if (point < 0 || point >= pointCount)
            failAtIndex(ctx.path, uint64_t(index),
                        "expected a point number from 0 to " + std::to_string(pointCount - 1) + ", found " +
                            describeElement(value));
        vertexPoints.push_back(point);
    }
    if (!it.atEnd() || index != vertexCount)
    {
        for (; !it.atEnd(); ++it)
            ++index;
        failAt(ctx.path, "expected " + std::to_string(vertexCount) + " point numbers (vertexcount), found " +
                             std::to_string(index));
    }
    pointrefList.finish();
    topologyList.finish();
    return vertexPoints;
}

void readGeometry(GeoReadContext &ctx, JsonValue root, GU_Detail &gdp)
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
        for (size_t i = 0; const KeyValueField *owner = owners.field(i); ++i)
        {
            PathScope ownerScope(ctx.path, owner->key);
            if (owner->key == "pointattributes" && !pointsRead)
            {
                readPointAttributes(ctx, owner->value, gdp, first);
                pointsRead = true;
            }
            else
                ctx.info.skippedAttributes += int64_t(expectArray(ctx, owner->value, "an array of attributes").size());
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

    for (size_t i = 0; const KeyValueField *field = top.field(i); ++i)
    {
        const std::string_view suffix = "groups";
        if (field->key.size() > suffix.size() && field->key.substr(field->key.size() - suffix.size()) == suffix &&
            field->value.isArray())
            ctx.info.skippedGroups += int64_t(field->value.array().size());
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

// The message for a document that is not valid JSON. The reader meets a
// fault only where it reads, so this asks a full parser whether and where
// the document is broken: syntax faults anywhere outrank what the reader
// found, as they would for a reader that parsed the whole file first.
bool describeSyntaxFault(std::string_view text, std::string &location, std::string &reason)
{
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    const simdjson::error_code status = parser.parse(text.data(), text.size(), true).get(root);
    if (status == simdjson::SUCCESS)
        return false;
    const JsonSyntaxError syntax = locateJsonSyntaxError(text);
    location = syntax.found ? syntax.location : "(top level)";
    reason = "invalid JSON: " + (syntax.found ? syntax.reason : std::string(simdjson::error_message(status)));
    return true;
}

// text is followed by kJsonPadding zero bytes.
GeometryReadResult readDocument(std::string_view text, const std::string &name, GU_Detail &gdp)
{
    GeometryReadResult result;
    std::string location, reason;
    bool parsing = false;  // past the checks of the leading bytes
    try
    {
        gdp.clearAndDestroy();
        checkLeadingBytes(text);
        parsing = true;
        if (!simdjson::validate_utf8(text.data(), text.size()))
            throw JsonSyntaxFault(0, "the text is not valid UTF-8");
        const JsonDocument doc(text);
        GeoReadContext ctx(int64_t(text.size()));
        const JsonValue root = doc.root();
        readGeometry(ctx, root, gdp);
        doc.checkTrailing(root);
        result.ok = true;
        result.info = std::move(ctx.info);
        result.warnings = std::move(ctx.warnings);
        for (std::string &warning : result.warnings)
            warning = name + ": " + warning;
    }
    catch (const JsonSyntaxFault &fault)
    {
        if (!describeSyntaxFault(text, location, reason))
        {
            location = "byte " + std::to_string(fault.offset());
            reason = std::string("invalid JSON: ") + fault.what();
        }
        result.message = name + ": " + location + ": " + reason;
    }
    catch (const GeoFormatError &error)
    {
        result.message =
            name + ": " +
            (parsing && describeSyntaxFault(text, location, reason) ? location + ": " + reason
                                                                    : error.location() + ": " + error.what());
    }
    catch (...)
    {
        result.message = readFailureMessage(name);
    }
    if (!result.ok)
        gdp.clearAndDestroy();
    return result;
}
}  // namespace

GeometryReadResult readGeoText(std::string_view text, const std::string &name, GU_Detail &gdp)
{
    std::unique_ptr<char[]> padded;
    try
    {
        padded.reset(new char[text.size() + kJsonPadding]);
    }
    catch (...)
    {
        gdp.clearAndDestroy();
        GeometryReadResult result;
        result.message = readFailureMessage(name);
        return result;
    }
    std::memcpy(padded.get(), text.data(), text.size());
    std::memset(padded.get() + text.size(), 0, kJsonPadding);
    return readDocument(std::string_view(padded.get(), text.size()), name, gdp);
}

GeometryReadResult readGeoFile(const std::string &path, GU_Detail &gdp)
{
    FileBytes text;
    GeometryReadResult result;
    if (!loadInputFile(path, text, kJsonPadding, result))
    {
        gdp.clearAndDestroy();
        return result;
    }
    return readDocument(text.view(), path, gdp);
}
