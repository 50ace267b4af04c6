#include "io/geo_attribute_writer.h"

#include "io/geo_type_tokens.h"

#include <GA/GA_ATINumeric.h>
#include <GA/GA_ATIString.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace
{
// Indentation of the lines inside "pointattributes".
constexpr std::string_view kEntry = "\t\t\t";
constexpr std::string_view kInner = "\t\t\t\t";
constexpr std::string_view kValue = "\t\t\t\t\t";

// Where non-finite values were met in one attribute.
struct NonFinite
{
    int64_t count = 0;
    int64_t firstPoint = -1;

    void note(bool finite, int64_t point)
    {
        if (finite)
            return;
        if (count++ == 0)
            firstPoint = point;
    }
};

bool putValue(JsonText &json, float v) { return json.real32(v); }
bool putValue(JsonText &json, fpreal16 v) { return json.real32(float(v)); }
bool putValue(JsonText &json, double v) { return json.real64(v); }
template <typename ET>
bool putValue(JsonText &json, ET v)
{
    json.integer(int64_t(v));
    return true;
}

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

// Defaults: one value when all components agree, else the whole tuple;
// integers for integer storages when they are whole numbers.
void writeDefaults(JsonText &json, const GA_ATINumeric &attribute, NonFinite &nonFinite)
{
    const std::vector<double> &d = attribute.getDefaults();
    size_t n = d.size();
    if (n > 1 && std::all_of(d.begin(), d.end(), [&](double x) { return std::memcmp(&x, &d[0], sizeof x) == 0; }))
        n = 1;
    bool integral = !isRealStorage(attribute.getStorage());
    for (size_t i = 0; i < n; ++i)
        integral = integral && std::trunc(d[i]) == d[i] && std::fabs(d[i]) < 0x1p63;
    json.raw("\"defaults\",[\"size\",");
    json.integer(int64_t(n));
    json.raw(integral ? ",\"storage\",\"int64\",\"values\",[" : ",\"storage\",\"fpreal64\",\"values\",[");
    for (size_t i = 0; i < n; ++i)
    {
        if (i)
            json.raw(',');
        if (integral)
            json.integer(int64_t(d[i]));
        else
            nonFinite.note(json.real64(d[i]), -1);
    }
    json.raw("]],");
}

template <typename ET>
void writeValues(JsonText &json, const GA_ATINumeric &attribute, const GU_Detail &gdp, NonFinite &nonFinite)
{
    const GA_DataArrayTuple &data = attribute.getData();
    const int size = attribute.getTupleSize();
    const bool interleaved = data.getLayout() == GA_LAYOUT_INTERLEAVED;
    const int64_t count = gdp.getNumPoints();
    const GA_IndexMap &points = gdp.getPointMap();
    auto component = [&](GA_Offset off, int c) -> ET {
        return interleaved ? data.array(0).tupleAt<ET>(off)[c] : *data.array(c).tupleAt<ET>(off);
    };
    if (size == 1)
    {
        json.raw("\"arrays\",[[");
        for (int64_t i = 0; i < count; ++i)
        {
            if (i)
                json.raw(',');
            nonFinite.note(putValue(json, component(points.offsetFromIndex(i), 0)), i);
        }
        json.raw("]]]]\n");
        return;
    }
    json.raw("\"tuples\",[");
    for (int64_t i = 0; i < count; ++i)
    {
        json.raw(i ? ",\n" : "\n");
        json.raw(kValue);
        json.raw('[');
        const GA_Offset off = points.offsetFromIndex(i);
        for (int c = 0; c < size; ++c)
        {
            if (c)
                json.raw(',');
            nonFinite.note(putValue(json, component(off, c)), i);
        }
        json.raw(']');
    }
    if (count > 0)
    {
        json.raw('\n');
        json.raw(kInner);
    }
    json.raw("]]]\n");
}

void writeNumeric(JsonText &json, const GA_ATINumeric &attribute, const GU_Detail &gdp,
                  const GeoWriteOptions &options, std::vector<std::string> &warnings)
{
    writeHeader(json, attribute, "numeric", options, warnings);
    const std::string size = std::to_string(attribute.getTupleSize());
    const char *storage = storageToken(attribute.getStorage());
    json.raw(kInner);
    json.raw("[\"size\"," + size + ",\"storage\",\"" + storage + "\",");
    NonFinite nonFinite;
    writeDefaults(json, attribute, nonFinite);
    json.raw("\"values\",[\"size\"," + size + ",\"storage\",\"" + storage + "\",");
    switch (attribute.getStorage())
    {
    case GA_STORE_UINT8: writeValues<uint8_t>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_INT8: writeValues<int8_t>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_INT16: writeValues<int16_t>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_INT32: writeValues<int32_t>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_INT64: writeValues<int64_t>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_REAL16: writeValues<fpreal16>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_REAL32: writeValues<float>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_REAL64: writeValues<double>(json, attribute, gdp, nonFinite); break;
    case GA_STORE_INVALID: json.raw("\"tuples\",[]]]\n"); break;
    }
    if (nonFinite.count > 0)
    {
        const std::string where = nonFinite.firstPoint >= 0
                                      ? "first at point " + std::to_string(nonFinite.firstPoint)
                                      : "in its defaults";
        warnings.push_back("attribute \"" + std::string(attribute.getName()) + "\": " +
                           std::to_string(nonFinite.count) + " non-finite values (" + where +
                           ") written as the strings \"nan\", \"inf\" or \"-inf\"; other readers may refuse them");
    }
}

void writeString(JsonText &json, const GA_ATIString &attribute, const GU_Detail &gdp,
                 const GeoWriteOptions &options, std::vector<std::string> &warnings)
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

void writeAttribute(JsonText &json, const GA_Attribute &attribute, const GU_Detail &gdp,
                    const GeoWriteOptions &options, std::vector<std::string> &warnings)
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
} // namespace

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
