#include "io/geo_attributes.h"

#include <set>
#include <string>

using simdjson::dom::array;
using simdjson::dom::element;

namespace
{
// The type token of an "options" object: {"type":{"type":"string","value":TOKEN}}.
void readOptions(GeoReadContext &ctx, element options, DecodedAttribute &attribute)
{
    const simdjson::dom::object object = expectObject(ctx, options, "an options object");
    element type;
    if (object.at_key("type").get(type) != simdjson::SUCCESS)
        return; // no type information: code 0
    PathScope scope(ctx.path, "type");
    element value;
    if (expectObject(ctx, type, "an object {\"type\":\"string\",\"value\":TOKEN}").at_key("value").get(value) !=
        simdjson::SUCCESS)
        failAt(ctx.path, "missing key \"value\"");
    PathScope valueScope(ctx.path, "value");
    const std::string_view token = expectString(ctx, value, "a type-information token (string)");
    attribute.typeInfo = typeInfoFromToken(token);
    if (attribute.typeInfo == GA_TYPE_UNKNOWN)
        attribute.typeToken = std::string(token);
}

int64_t readTupleSize(GeoReadContext &ctx, const KeyValueList &body)
{
    const KeyValueField &field = requireField(ctx, body, "size");
    PathScope scope(ctx.path, field.key);
    return expectInteger(ctx, field.value, 1, kMaxTupleSize, "a tuple size");
}

// The "values" list after its own "size", which must repeat the tuple size.
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

void readNumericBody(GeoReadContext &ctx, const KeyValueList &body, int64_t pointCount,
                     DecodedAttribute &attribute)
{
    attribute.tupleSize = readTupleSize(ctx, body);
    {
        const KeyValueField &field = requireField(ctx, body, "storage");
        PathScope scope(ctx.path, field.key);
        const std::string_view token = expectString(ctx, field.value, "a storage name");
        attribute.storage = storageFromToken(token);
        if (attribute.storage == GA_STORE_INVALID)
            failAt(ctx.path, "unknown storage \"" + std::string(token).substr(0, 40) +
                                 "\"; expected uint8, int8, int16, int32, int64, fpreal16, fpreal32 or fpreal64");
    }
    if (const KeyValueField *defaults = body.find("defaults"))
    {
        PathScope scope(ctx.path, defaults->key);
        const KeyValueList list(ctx, defaults->value, "a defaults list");
        if (const KeyValueField *values = list.find("values"))
        {
            PathScope valuesScope(ctx.path, values->key);
            attribute.defaults = decodeNumberArray(ctx, values->value, size_t(attribute.tupleSize));
        }
    }
    const KeyValueField &field = requireField(ctx, body, "values");
    PathScope scope(ctx.path, field.key);
    const KeyValueList values = openValueList(ctx, field, attribute.tupleSize);
    decodeValueList(ctx, values, pointCount, attribute.tupleSize, NumberRule(attribute.storage), attribute.values);
}

void readStringBody(GeoReadContext &ctx, const KeyValueList &body, int64_t pointCount,
                    DecodedAttribute &attribute)
{
    attribute.tupleSize = readTupleSize(ctx, body);
    {
        const KeyValueField &field = requireField(ctx, body, "strings");
        PathScope scope(ctx.path, field.key);
        uint64_t index = 0;
        for (element text : expectArray(ctx, field.value, "an array of strings"))
        {
            PathScope item(ctx.path, index++);
            attribute.strings.emplace_back(expectString(ctx, text, "a string"));
        }
    }
    const KeyValueField &field = requireField(ctx, body, "indices");
    PathScope scope(ctx.path, field.key);
    const KeyValueList indices = openValueList(ctx, field, attribute.tupleSize);
    NumberRule rule(GA_STORE_INT32);
    rule.range = {-1, int64_t(attribute.strings.size()) - 1};
    DecodedValues decoded;
    decodeValueList(ctx, indices, pointCount, attribute.tupleSize, rule, decoded);
    attribute.stringIndices = std::move(decoded.integers);
}

// A 4-component hpoint position becomes a 3-component point position.
void convertHomogeneousPosition(GeoReadContext &ctx, DecodedAttribute &attribute)
{
    if (attribute.name != "P" || attribute.typeInfo != GA_TYPE_HPOINT || attribute.tupleSize != 4)
        return;
    int64_t wNotOne = 0;
    auto dropW = [&](auto &values) {
        const size_t count = values.size() / 4;
        for (size_t e = 0; e < count; ++e)
        {
            if (!(values[e * 4 + 3] == 1))
                ++wNotOne;
            for (size_t c = 0; c < 3; ++c)
                values[e * 3 + c] = values[e * 4 + c];
        }
        values.resize(count * 3);
    };
    dropW(attribute.values.reals);
    dropW(attribute.values.integers);
    if (attribute.defaults.size() > 3)
        attribute.defaults.resize(3);
    attribute.tupleSize = 3;
    attribute.typeInfo = GA_TYPE_POINT;
    if (wNotOne > 0)
        ctx.warnings.push_back("P was stored as a homogeneous position; its w component was dropped, and " +
                               std::to_string(wNotOne) + " points had w other than 1");
}
} // namespace

std::vector<DecodedAttribute> readPointAttributes(GeoReadContext &ctx, element list, int64_t pointCount)
{
    std::vector<DecodedAttribute> attributes;
    std::set<std::string> names;
    uint64_t index = 0;
    for (element entry : expectArray(ctx, list, "an array of attributes"))
    {
        PathScope scope(ctx.path, index++);
        const array pair = expectArray(ctx, entry, "an attribute [header, body]");
        if (pair.size() != 2)
            failExpected(ctx, entry, "an attribute [header, body]");
        const KeyValueList header(ctx, pair.at(0).value_unsafe(), "an attribute header");
        DecodedAttribute attribute;
        std::string_view type;
        {
            const KeyValueField &field = requireField(ctx, header, "type");
            PathScope typeScope(ctx.path, field.key);
            type = expectString(ctx, field.value, "an attribute type (string)");
        }
        {
            const KeyValueField &field = requireField(ctx, header, "name");
            PathScope nameScope(ctx.path, field.key);
            attribute.name = std::string(expectString(ctx, field.value, "an attribute name (string)"));
            if (attribute.name.empty())
                failAt(ctx.path, "expected an attribute name, found an empty string");
        }
        if (type != "numeric" && type != "string")
        {
            ++ctx.info.skippedAttributes;
            continue;
        }
        if (!names.insert(attribute.name).second)
            failAt(ctx.path, "a second point attribute named \"" + attribute.name + "\"");
        if (const KeyValueField *field = header.find("scope"))
        {
            PathScope scopeScope(ctx.path, field->key);
            const std::string_view visibility = expectString(ctx, field->value, "a scope (string)");
            attribute.scope = visibility == "public" ? GA_SCOPE_PUBLIC : GA_SCOPE_PRIVATE;
        }
        if (const KeyValueField *field = header.find("options"))
        {
            PathScope optionsScope(ctx.path, field->key);
            readOptions(ctx, field->value, attribute);
        }
        const KeyValueList body(ctx, pair.at(1).value_unsafe(), "an attribute body");
        attribute.isString = type == "string";
        if (attribute.isString)
            readStringBody(ctx, body, pointCount, attribute);
        else
            readNumericBody(ctx, body, pointCount, attribute);
        convertHomogeneousPosition(ctx, attribute);
        attributes.push_back(std::move(attribute));
    }
    return attributes;
}
