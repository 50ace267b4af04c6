#include "io/geo/geo_attributes.h"

#include "io/geo/geo_attribute_sinks.h"
#include "io/geo/geo_type_tokens.h"
#include <GA/GA_HalfRounding.h>

#include <GA/GA_ATIString.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace
{
struct AttributeHeader
{
    uint64_t index = 0;  // position in "pointattributes"
    std::string name;
    bool isString = false;
    GA_AttributeScope scope = GA_SCOPE_PUBLIC;
    int32_t typeInfo = GA_TYPE_VOID;
    std::string typeToken;  // kept when typeInfo is GA_TYPE_UNKNOWN
    JsonValue entry;        // [header, body]
    JsonValue body;
};

// The type token of an "options" object: {"type":{"type":"string","value":TOKEN}}.
void readOptions(GeoReadContext &ctx, JsonValue options, AttributeHeader &header)
{
    const JsonObject object = expectObject(ctx, options, "an options object");
    JsonValue type;
    if (!object.find("type", type))
        return;  // no type information: code 0
    PathScope scope(ctx.path, "type");
    JsonValue value;
    if (!expectObject(ctx, type, "an object {\"type\":\"string\",\"value\":TOKEN}").find("value", value))
        failAt(ctx.path, "missing key \"value\"");
    PathScope valueScope(ctx.path, "value");
    const std::string_view token = expectString(ctx, value, "a type-information token (string)");
    header.typeInfo = typeInfoFromToken(token);
    if (header.typeInfo == GA_TYPE_UNKNOWN)
        header.typeToken = std::string(token);
}

constexpr const char *kEntry = "an attribute [header, body]";

// Reads one header; returns false for attribute kinds that are skipped.
bool readHeader(GeoReadContext &ctx, JsonValue entry, AttributeHeader &header)
{
    const KeyValueList list = openEntry(ctx, entry, kEntry, "an attribute header", header.body);
    const std::string_view type = requireString(ctx, list, "type", "an attribute type (string)");
    header.name = std::string(requireString(ctx, list, "name", "an attribute name (string)"));
    if (header.name.empty())
        failAt(ctx.path, "expected an attribute name, found an empty string");
    if (type != "numeric" && type != "string")
        return false;
    header.isString = type == "string";
    if (const KeyValueField *field = list.find("scope"))
    {
        PathScope scope(ctx.path, field->key);
        header.scope =
            expectString(ctx, field->value, "a scope (string)") == "public" ? GA_SCOPE_PUBLIC : GA_SCOPE_PRIVATE;
    }
    if (const KeyValueField *field = list.find("options"))
    {
        PathScope scope(ctx.path, field->key);
        readOptions(ctx, field->value, header);
    }
    return true;
}

int64_t readTupleSize(GeoReadContext &ctx, const KeyValueList &body)
{
    const KeyValueField &field = requireField(ctx, body, "size");
    PathScope scope(ctx.path, field.key);
    return expectInteger(ctx, field.value, 1, kMaxTupleSize, "a tuple size");
}

// The "values" (or "indices") list, whose own "size" must repeat the tuple size.
KeyValueList openValueList(GeoReadContext &ctx, const KeyValueField &field, int64_t tupleSize)
{
    KeyValueList values(ctx, field.value, "a value list");
    if (const KeyValueField *size = values.find("size"))
    {
        PathScope scope(ctx.path, size->key);
        expectInteger(ctx, size->value, tupleSize, tupleSize, "the attribute's tuple size");
    }
    return values;
}

template <typename T>
void decodeInto(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t fileSize,
                const NumberRule &rule, ValueSink<T> &sink, bool homogeneous)
{
    if (homogeneous)
    {
        DropFourthSink<T> dropW(sink);
        decodeValueList(ctx, values, count, fileSize, rule, dropW);
        if (dropW.notOne() > 0)
            ctx.warnings.push_back("P was stored as a homogeneous position; its w component was dropped, and " +
                                   std::to_string(dropW.notOne()) + " points had w other than 1");
        return;
    }
    decodeValueList(ctx, values, count, fileSize, rule, sink);
}

GA_Attribute *readNumeric(GeoReadContext &ctx, const AttributeHeader &header, const KeyValueList &body, GU_Detail &gdp,
                          GA_Offset first)
{
    const int64_t fileSize = readTupleSize(ctx, body);
    GA_Storage storage = GA_STORE_INVALID;
    {
        const KeyValueField &field = requireField(ctx, body, "storage");
        PathScope scope(ctx.path, field.key);
        const std::string_view token = expectString(ctx, field.value, "a storage name");
        storage = storageFromToken(token);
        if (storage == GA_STORE_INVALID)
            failAt(ctx.path, "unknown storage \"" + std::string(token.substr(0, 40)) +
                                 "\"; expected uint8, int8, int16, int32, int64, fpreal16, fpreal32 or fpreal64");
    }
    // A 4-component homogeneous P becomes the 3-component position.
    const bool homogeneous = header.name == "P" && header.typeInfo == GA_TYPE_HPOINT && fileSize == 4;
    const int64_t size = homogeneous ? 3 : fileSize;
    std::vector<double> defaults;
    if (const KeyValueField *field = body.find("defaults"))
    {
        PathScope scope(ctx.path, field->key);
        const KeyValueList list(ctx, field->value, "a defaults list");
        if (const KeyValueField *values = list.find("values"))
        {
            PathScope valuesScope(ctx.path, values->key);
            defaults = decodeNumberArray(ctx, values->value, size_t(size));
        }
        list.finish();
    }
    // The geometry converts defaults to half through float, which would
    // round twice; a value already on a half converts exactly.
    if (storage == GA_STORE_REAL16)
        for (double &value : defaults)
            value = double(float(GAhalfFromDouble(value)));
    const KeyValueField &field = requireField(ctx, body, "values");
    PathScope scope(ctx.path, field.key);
    const KeyValueList values = openValueList(ctx, field, fileSize);

    // Charged before the attribute exists, so a tiny file cannot make it
    // allocate pages for billions of values.
    const int64_t count = gdp.getNumPoints();
    ctx.chargeValues(count * fileSize, "the attribute");
    const GA_StorageLayout layout =
        storage == GA_STORE_REAL32 || storage == GA_STORE_REAL64 ? GA_LAYOUT_INTERLEAVED : GA_LAYOUT_COMPONENTS;
    GA_ATINumeric *attribute = nullptr;
    if (GA_ATINumeric::isValidLayout(storage, layout, int(size)))
        attribute = gdp.addNumericPointAttribute(header.name, int(size), storage, layout,
                                                 homogeneous ? int32_t(GA_TYPE_POINT) : header.typeInfo, defaults);
    if (!attribute)
        failAt(ctx.path, "the geometry refused the attribute");
    const NumberRule rule(storage);
    if (rule.real)
        decodeInto(ctx, values, count, fileSize, rule, *makeRealSink(*attribute, first), homogeneous);
    else
        decodeInto(ctx, values, count, fileSize, rule, *makeIntegerSink(*attribute, first), homogeneous);
    values.finish();
    return attribute;
}

GA_Attribute *readString(GeoReadContext &ctx, const AttributeHeader &header, const KeyValueList &body, GU_Detail &gdp,
                         GA_Offset first)
{
    const int64_t size = readTupleSize(ctx, body);
    std::vector<std::string> strings;
    {
        const KeyValueField &field = requireField(ctx, body, "strings");
        PathScope scope(ctx.path, field.key);
        uint64_t index = 0;
        for (const JsonValue text : expectArray(ctx, field.value, "an array of strings"))
        {
            PathScope item(ctx.path, index++);
            strings.emplace_back(expectString(ctx, text, "a string"));
        }
    }
    const int64_t count = gdp.getNumPoints();
    const KeyValueField &field = requireField(ctx, body, "indices");
    PathScope scope(ctx.path, field.key);
    const KeyValueList indices = openValueList(ctx, field, size);
    NumberRule rule(GA_STORE_INT32);
    rule.range = {-1, int64_t(strings.size()) - 1};
    ctx.chargeValues(count * size, "the string indices");
    CollectingSink collected(count, size);
    decodeValueList(ctx, indices, count, size, rule, collected);
    indices.finish();

    GA_ATIString *attribute = gdp.addStringPointAttribute(header.name, int(size));
    if (!attribute)
        failAt(ctx.path, "the geometry refused the attribute");
    const std::vector<int64_t> &values = collected.values();
    for (int64_t e = 0; e < count; ++e)
        for (int64_t c = 0; c < size; ++c)
        {
            const int64_t index = values[size_t(e * size + c)];
            if (index >= 0)
                attribute->setString(first + e, strings[size_t(index)], int(c));
        }
    attribute->setTypeInfo(header.typeInfo);
    return attribute;
}
}  // namespace

void readPointAttributes(GeoReadContext &ctx, JsonValue list, GU_Detail &gdp, GA_Offset first)
{
    auto readBody = [&](const AttributeHeader &header) {
        PathScope scope(ctx.path, header.index);
        const KeyValueList body(ctx, header.body, "an attribute body");
        GA_Attribute *attribute =
            header.isString ? readString(ctx, header, body, gdp, first) : readNumeric(ctx, header, body, gdp, first);
        body.finish();
        closeEntry(ctx, header.entry, header.body, kEntry);
        attribute->setScope(header.scope);
        if (attribute->getTypeInfo() == GA_TYPE_UNKNOWN)
            ctx.info.typeTokens[header.name] = header.typeToken;
    };
    // "P" comes first in the geometry, then the others in file order. Files
    // normally list "P" first, and then every body is read where it stands;
    // bodies before a later "P" wait for it.
    std::vector<AttributeHeader> waiting;
    bool positionRead = false;
    std::set<std::string> names;
    uint64_t index = 0;
    for (const JsonValue entry : expectArray(ctx, list, "an array of attributes"))
    {
        AttributeHeader header;
        {
            PathScope scope(ctx.path, index);
            header.index = index++;
            header.entry = entry;
            if (!readHeader(ctx, entry, header))
            {
                closeEntry(ctx, entry, header.body, kEntry);
                ++ctx.info.skippedAttributes;
                continue;
            }
            if (!names.insert(header.name).second)
                failAt(ctx.path, "a second point attribute named \"" + header.name + "\"");
        }
        if (!positionRead && header.name != "P")
        {
            waiting.push_back(std::move(header));
            continue;
        }
        readBody(header);
        if (!positionRead)
        {
            positionRead = true;
            for (const AttributeHeader &before : waiting)
                readBody(before);
            waiting.clear();
        }
    }
    for (const AttributeHeader &header : waiting)
        readBody(header);
}
