#include "io/geo/geo_attribute_writer.h"

#include "io/geo/geo_numeric_writer.h"
#include "io/geo/geo_type_tokens.h"

#include <GA/GA_ATINumeric.h>
#include <GA/GA_ATIString.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace
{
constexpr std::string_view kEntry = kAttributeEntryIndent;
constexpr std::string_view kInner = kAttributeInnerIndent;
constexpr std::string_view kValue = kAttributeValueIndent;

void writeHeader(JsonText &json, const GA_Attribute &attribute, const char *kind, const GeoWriteOptions &options,
                 std::vector<std::string> &warnings)
{
    json.raw(kInner);
    json.raw("[\"scope\",");
    json.string(attribute.getScope() == GA_SCOPE_PUBLIC ? "public" : "private");
    json.raw(",\"type\",");
    json.string(kind);
    json.raw(",\"name\",");
    json.string(attribute.getName());
    json.raw(",\"options\",");
    const int32_t code = attribute.getTypeInfo();
    std::string token;
    if (const char *known = tokenFromTypeInfo(code))
        token = known;
    else if (code != GA_TYPE_VOID)
    {
        const auto kept = options.typeTokens.find(attribute.getName());
        token = kept != options.typeTokens.end() && !kept->second.empty() ? kept->second : "unknown";
        if (token == "unknown" && code != GA_TYPE_UNKNOWN)
            warnings.push_back("attribute \"" + std::string(attribute.getName()) + "\": type-information code " +
                               std::to_string(code) + " has no file token; written as \"unknown\"");
    }
    if (token.empty())
        json.raw("{}");
    else
    {
        json.raw("{\"type\":{\"type\":\"string\",\"value\":");
        json.string(token);
        json.raw("}}");
    }
    json.raw("],\n");
}

void writeNumeric(JsonText &json, const GA_ATINumeric &attribute, const GU_Detail &gdp, const GeoWriteOptions &options,
                  std::vector<std::string> &warnings)
{
    writeHeader(json, attribute, "numeric", options, warnings);
    writeNumericBody(json, attribute, gdp, warnings);
}

void writeString(JsonText &json, const GA_ATIString &attribute, const GU_Detail &gdp, const GeoWriteOptions &options,
                 std::vector<std::string> &warnings)
{
    writeHeader(json, attribute, "string", options, warnings);
    const int size = attribute.getTupleSize();
    const int64_t count = gdp.getNumPoints();
    std::vector<const std::string *> table;
    std::unordered_map<std::string, int64_t> lookup;
    std::vector<int64_t> indices(size_t(count) * size_t(size), -1);
    for (int64_t i = 0; i < count; ++i)
        for (int c = 0; c < size; ++c)
        {
            const std::string &text = attribute.getString(gdp.getPointMap().offsetFromIndex(i), c);
            if (text.empty())
                continue;
            const auto inserted = lookup.emplace(text, int64_t(table.size()));
            if (inserted.second)
                table.push_back(&inserted.first->first);
            indices[size_t(i) * size_t(size) + size_t(c)] = inserted.first->second;
        }
    json.raw(kInner);
    json.raw("[\"size\"," + std::to_string(size) + ",\"storage\",\"int32\",\"strings\",[");
    for (size_t s = 0; s < table.size(); ++s)
    {
        if (s)
            json.raw(',');
        json.string(*table[s]);
    }
    json.raw("],\"indices\",[\"size\"," + std::to_string(size) + ",\"storage\",\"int32\",");
    json.raw(size == 1 ? "\"arrays\",[[" : "\"tuples\",[");
    for (int64_t i = 0; i < count; ++i)
    {
        if (i)
            json.raw(',');
        if (size > 1)
            json.raw('[');
        for (int c = 0; c < size; ++c)
        {
            if (c)
                json.raw(',');
            json.integer(indices[size_t(i) * size_t(size) + size_t(c)]);
        }
        if (size > 1)
            json.raw(']');
    }
    json.raw(size == 1 ? "]]]]\n" : "]]]\n");
}

// Positions for a geometry without "P": a .geo file always carries one.
void writeZeroPositions(JsonText &json, const GU_Detail &gdp)
{
    json.raw(kInner);
    json.raw("[\"scope\",\"public\",\"type\",\"numeric\",\"name\",\"P\",\"options\","
             "{\"type\":{\"type\":\"string\",\"value\":\"point\"}}],\n");
    json.raw(kInner);
    json.raw("[\"size\",3,\"storage\",\"fpreal32\",\"defaults\",[\"size\",1,\"storage\",\"fpreal64\","
             "\"values\",[0]],\"values\",[\"size\",3,\"storage\",\"fpreal32\",\"tuples\",[");
    const int64_t count = gdp.getNumPoints();
    for (int64_t i = 0; i < count; ++i)
    {
        json.raw(i ? ",\n" : "\n");
        json.raw(kValue);
        json.raw("[0,0,0]");
    }
    if (count > 0)
    {
        json.raw('\n');
        json.raw(kInner);
    }
    json.raw("]]]\n");
}

void writeAttribute(JsonText &json, const GA_Attribute &attribute, const GU_Detail &gdp, const GeoWriteOptions &options,
                    std::vector<std::string> &warnings)
{
    if (&attribute.getType() == &GA_ATINumeric::theAttributeType)
        writeNumeric(json, static_cast<const GA_ATINumeric &>(attribute), gdp, options, warnings);
    else
        writeString(json, static_cast<const GA_ATIString &>(attribute), gdp, options, warnings);
}

bool isWritable(const GA_Attribute &attribute)
{
    return &attribute.getType() == &GA_ATINumeric::theAttributeType ||
           &attribute.getType() == &GA_ATIString::theAttributeType;
}
}  // namespace

void writePointAttributes(JsonText &json, const GU_Detail &gdp, const GeoWriteOptions &options,
                          std::vector<std::string> &warnings)
{
    json.raw(kEntry);
    json.raw("[\n");
    const GA_Attribute *position = gdp.findPointAttribute("P");
    if (position && isWritable(*position))
        writeAttribute(json, *position, gdp, options, warnings);
    else
    {
        writeZeroPositions(json, gdp);
        warnings.push_back("the geometry has no position attribute \"P\"; zero positions were written");
        position = nullptr;
    }
    json.raw(kEntry);
    json.raw(']');
    const GA_AttributeDict &dict = gdp.pointAttribs();
    for (GA_Size i = 0; i < dict.entries(); ++i)
    {
        const GA_Attribute *attribute = dict.entry(i);
        if (!attribute || attribute == position || std::string_view(attribute->getName()) == "P")
            continue;
        if (!isWritable(*attribute))
        {
            warnings.push_back("point attribute \"" + std::string(attribute->getName()) +
                               "\" is neither numeric nor string and was not written");
            continue;
        }
        json.raw(",\n");
        json.raw(kEntry);
        json.raw("[\n");
        writeAttribute(json, *attribute, gdp, options, warnings);
        json.raw(kEntry);
        json.raw(']');
    }
    json.raw('\n');
}
