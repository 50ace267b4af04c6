#include "io/geo/geo_numeric_writer.h"

#include "io/geo/geo_type_tokens.h"
#include "io/json/parallel_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
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
    // Adds the values met later in the file.
    void merge(const NonFinite &later)
    {
        if (count == 0)
            firstPoint = later.firstPoint;
        count += later.count;
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
    // Non-finite values per chunk, merged in order below.
    std::vector<NonFinite> found(formatChunkCount(count));
    if (size == 1)
    {
        json.raw("\"arrays\",[[");
        formatInOrder(json, count, [&](int64_t begin, int64_t end, JsonText &out, size_t chunk) {
            for (int64_t i = begin; i < end; ++i)
            {
                if (i)
                    out.raw(',');
                found[chunk].note(putValue(out, component(points.offsetFromIndex(i), 0)), i);
            }
        });
        json.raw("]]]]\n");
    }
    else
    {
        json.raw("\"tuples\",[");
        // Each tuple on a line of its own: ",\n" (just "\n" for the first),
        // the indent and the bracket in one piece.
        const std::string lead = ",\n" + std::string(kAttributeValueIndent) + "[";
        const std::string_view next(lead), first = next.substr(1);
        formatInOrder(json, count, [&](int64_t begin, int64_t end, JsonText &out, size_t chunk) {
            NonFinite &nonFinite = found[chunk];
            for (int64_t i = begin; i < end; ++i)
            {
                out.raw(i ? next : first);
                const GA_Offset off = points.offsetFromIndex(i);
                if (interleaved)
                {
                    // One page lookup for the whole tuple.
                    const ET *tuple = data.array(0).tupleAt<ET>(off);
                    for (int c = 0; c < size; ++c)
                    {
                        if (c)
                            out.raw(',');
                        nonFinite.note(putValue(out, tuple[c]), i);
                    }
                }
                else
                {
                    for (int c = 0; c < size; ++c)
                    {
                        if (c)
                            out.raw(',');
                        nonFinite.note(putValue(out, component(off, c)), i);
                    }
                }
                out.raw(']');
            }
        });
        if (count > 0)
        {
            json.raw('\n');
            json.raw(kAttributeInnerIndent);
        }
        json.raw("]]]\n");
    }
    for (const NonFinite &chunk : found)
        nonFinite.merge(chunk);
}

}  // namespace

void writeNumericBody(JsonText &json, const GA_ATINumeric &attribute, const GU_Detail &gdp,
                      std::vector<std::string> &warnings)
{
    const std::string size = std::to_string(attribute.getTupleSize());
    const char *storage = storageToken(attribute.getStorage());
    json.raw(kAttributeInnerIndent);
    json.raw("[\"size\"," + size + ",\"storage\",\"" + storage + "\",");
    NonFinite nonFinite;
    writeDefaults(json, attribute, nonFinite);
    json.raw("\"values\",[\"size\"," + size + ",\"storage\",\"" + storage + "\",");
    switch (attribute.getStorage())
    {
    case GA_STORE_UINT8:
        writeValues<uint8_t>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_INT8:
        writeValues<int8_t>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_INT16:
        writeValues<int16_t>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_INT32:
        writeValues<int32_t>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_INT64:
        writeValues<int64_t>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_REAL16:
        writeValues<fpreal16>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_REAL32:
        writeValues<float>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_REAL64:
        writeValues<double>(json, attribute, gdp, nonFinite);
        break;
    case GA_STORE_INVALID:
        json.raw("\"tuples\",[]]]\n");
        break;
    }
    if (nonFinite.count > 0)
    {
        const std::string where =
            nonFinite.firstPoint >= 0 ? "first at point " + std::to_string(nonFinite.firstPoint) : "in its defaults";
        warnings.push_back("attribute \"" + std::string(attribute.getName()) +
                           "\": " + std::to_string(nonFinite.count) + " non-finite values (" + where +
                           ") written as the strings \"nan\", \"inf\" or \"-inf\"; other readers may refuse them");
    }
}
