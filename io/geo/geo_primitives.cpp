#include "io/geo/geo_primitives.h"

#include <string>

namespace
{
class PrimitiveReader
{
public:
    PrimitiveReader(GeoReadContext &ctx, const std::vector<int64_t> &vertexPoints, int64_t primitiveCount,
                    PolygonList &polygons)
        : myCtx(ctx), myVertexPoints(vertexPoints), myPrimitiveCount(primitiveCount), myPolygons(polygons),
          // Host files use each vertex in one primitive; allowing as many
          // corners again as the text has bytes leaves room for odd files but
          // stops overlapping runs from multiplying a small file.
          myLimit(int64_t(vertexPoints.size()) + ctx.textBytes)
    {}

    void readEntry(JsonValue entry);
    void readBody(std::string_view type, const KeyValueList &header, JsonValue body);
    int64_t total() const { return myTotal; }

private:
    void count(int64_t n);
    void reserve(int64_t polygons, int64_t corners);
    void readPoly(const KeyValueList &body);
    void readRun(const KeyValueList &header, JsonValue body);
    void readPolygonRun(JsonValue body, bool closed);
    void addPolygon(JsonValue vertices, bool closed);

    GeoReadContext &myCtx;
    const std::vector<int64_t> &myVertexPoints;
    int64_t myPrimitiveCount;
    PolygonList &myPolygons;
    int64_t myLimit;
    int64_t myTotal = 0;
};

void PrimitiveReader::count(int64_t n)
{
    if (n > myPrimitiveCount - myTotal)
        failAt(myCtx.path, "more primitives than primitivecount " + std::to_string(myPrimitiveCount));
    myTotal += n;
}

void PrimitiveReader::reserve(int64_t polygons, int64_t corners)
{
    if (polygons > myLimit - myPolygons.size() || corners > myLimit - int64_t(myPolygons.corners.size()))
        failAt(myCtx.path, "the polygons use more vertices than the file describes");
}

void PrimitiveReader::addPolygon(JsonValue vertices, bool closed)
{
    const JsonArray list = expectArray(myCtx, vertices, "an array of vertex numbers");
    reserve(1, 0);
    const int64_t last = int64_t(myVertexPoints.size()) - 1;
    uint64_t index = 0;
    for (JsonValue vertex : list)
    {
        PathScope scope(myCtx.path, index++);
        const int64_t v = expectInteger(myCtx, vertex, 0, last, "a vertex number");
        reserve(0, 1);
        myPolygons.corners.push_back(myVertexPoints[size_t(v)]);
    }
    myPolygons.starts.push_back(int64_t(myPolygons.corners.size()));
    myPolygons.closed.push_back(closed ? 1 : 0);
}

void PrimitiveReader::readPoly(const KeyValueList &body)
{
    body.finish();
    bool closed = true;
    if (const KeyValueField *field = body.find("closed"))
    {
        PathScope scope(myCtx.path, field->key);
        closed = expectBool(myCtx, field->value, "true or false");
    }
    const KeyValueField &vertices = requireField(myCtx, body, "vertex");
    count(1);
    PathScope scope(myCtx.path, vertices.key);
    addPolygon(vertices.value, closed);
}

void PrimitiveReader::readRun(const KeyValueList &header, JsonValue body)
{
    std::string_view runType;
    {
        const KeyValueField &field = requireField(myCtx, header, "runtype");
        PathScope scope(myCtx.path, field.key);
        runType = expectString(myCtx, field.value, "a primitive type (string)");
    }
    const JsonArray items = expectArray(myCtx, body, "an array of run items");
    if (runType != "Poly")
    {
        const int64_t n = int64_t(items.size());
        count(n);
        myCtx.info.skippedPrimitives += n;
        return;
    }
    // Positions of the per-polygon fields in each item.
    int64_t fieldCount = 0, vertexField = -1, closedField = -1;
    {
        const KeyValueField &field = requireField(myCtx, header, "varyingfields");
        PathScope scope(myCtx.path, field.key);
        for (JsonValue name : expectArray(myCtx, field.value, "an array of field names"))
        {
            PathScope item(myCtx.path, uint64_t(fieldCount));
            const std::string_view text = expectString(myCtx, name, "a field name (string)");
            if (text == "vertex" && vertexField < 0)
                vertexField = fieldCount;
            else if (text == "closed" && closedField < 0)
                closedField = fieldCount;
            ++fieldCount;
        }
        if (vertexField < 0)
            failAt(myCtx.path, "expected a field named \"vertex\"");
    }
    bool closed = true;
    if (const KeyValueField *field = header.find("uniformfields"))
    {
        PathScope scope(myCtx.path, field->key);
        JsonValue flag;
        if (expectObject(myCtx, field->value, "an object of shared fields").find("closed", flag))
        {
            PathScope closedScope(myCtx.path, "closed");
            closed = expectBool(myCtx, flag, "true or false");
        }
    }
    uint64_t index = 0;
    for (JsonValue item : items)
    {
        PathScope scope(myCtx.path, index++);
        // The fields of one polygon, found in one pass over the item.
        JsonValue vertices, closedFlag;
        int64_t k = 0;
        for (const JsonValue value : expectArray(myCtx, item, "an array of field values"))
        {
            if (k == vertexField)
                vertices = value;
            if (k == closedField)
                closedFlag = value;
            ++k;
        }
        if (k != fieldCount)
            failExpected(myCtx, item, "an array of " + std::to_string(fieldCount) + " field values");
        count(1);
        bool itemClosed = closed;
        if (closedField >= 0)
        {
            PathScope closedScope(myCtx.path, uint64_t(closedField));
            itemClosed = expectBool(myCtx, closedFlag, "true or false");
        }
        PathScope vertexScope(myCtx.path, uint64_t(vertexField));
        addPolygon(vertices, itemClosed);
    }
}
void PrimitiveReader::readPolygonRun(JsonValue body, bool closed)
{
    const KeyValueList fields(myCtx, body, "a polygon run");
    fields.finish();
    const int64_t vertexCount = int64_t(myVertexPoints.size());
    int64_t start = 0;
    if (const KeyValueField *field = fields.find("startvertex", "s_v"))
    {
        PathScope scope(myCtx.path, field->key);
        start = expectInteger(myCtx, field->value, 0, vertexCount, "a vertex number");
    }
    int64_t declared = -1;
    if (const KeyValueField *field = fields.find("nprimitives", "n_p"))
    {
        PathScope scope(myCtx.path, field->key);
        declared = expectCount(myCtx, field->value, "a primitive count");
    }

    // Vertex counts as (count, repeat) pairs; a plain list repeats each once.
    std::vector<std::pair<int64_t, int64_t>> runs;
    const KeyValueField *rle = fields.find("nvertices_rle", "r_v");
    const KeyValueField *plain = rle ? nullptr : fields.find("nvertices", "n_v");
    const KeyValueField *counts = rle ? rle : plain;
    if (!counts)
    {
        if (declared != 0)
            failAt(myCtx.path, "missing key \"nvertices_rle\" or \"nvertices\"");
        return;
    }
    PathScope scope(myCtx.path, counts->key);
    const JsonArray list = expectArray(myCtx, counts->value, "an array of vertex counts");
    if (rle && list.size() % 2 != 0)
        failAt(myCtx.path,
               "expected (vertex count, repeat) pairs, found an array of " + std::to_string(list.size()) + " items");
    int64_t polygons = 0, used = 0;
    uint64_t index = 0;
    for (JsonArray::Iterator it = list.begin(); !it.atEnd(); ++it)
    {
        int64_t n = 0, repeat = 1;
        {
            PathScope item(myCtx.path, index++);
            n = expectInteger(myCtx, *it, 0, vertexCount, "a vertex count");
        }
        if (rle)
        {
            PathScope item(myCtx.path, index++);
            repeat = expectCount(myCtx, *++it, "a repeat count");
        }
        if (repeat > kMaxElementCount - polygons)
            failAt(myCtx.path, "describes more than " + std::to_string(kMaxElementCount) + " polygons");
        if (n > 0 && repeat > (vertexCount - start - used) / n)
            failAt(myCtx.path, "the polygons run past vertexcount " + std::to_string(vertexCount) +
                                   " (starting at vertex " + std::to_string(start) + ")");
        polygons += repeat;
        used += n * repeat;
        runs.emplace_back(n, repeat);
    }
    if (declared >= 0 && declared != polygons)
        failAt(myCtx.path,
               "describes " + std::to_string(polygons) + " polygons, but nprimitives is " + std::to_string(declared));
    count(polygons);
    reserve(polygons, used);
    int64_t v = start;
    for (const auto &[n, repeat] : runs)
        for (int64_t r = 0; r < repeat; ++r)
        {
            for (int64_t k = 0; k < n; ++k)
                myPolygons.corners.push_back(myVertexPoints[size_t(v++)]);
            myPolygons.starts.push_back(int64_t(myPolygons.corners.size()));
            myPolygons.closed.push_back(closed ? 1 : 0);
        }
}

void PrimitiveReader::readEntry(JsonValue entry)
{
    constexpr const char *kEntry = "a primitive [header, body]";
    JsonValue body;
    const KeyValueList header = openEntry(myCtx, entry, kEntry, "a primitive header", body);
    readBody(requireString(myCtx, header, "type", "a primitive type (string)"), header, body);
    closeEntry(myCtx, entry, body, kEntry);
}

void PrimitiveReader::readBody(std::string_view type, const KeyValueList &header, JsonValue body)
{
    if (type == "Poly")
        readPoly(KeyValueList(myCtx, body, "a polygon"));
    else if (type == "run")
        readRun(header, body);
    else if (type == "Polygon_run" || type == "p_r")
        readPolygonRun(body, true);
    else if (type == "PolygonCurve_run" || type == "c_r")
        readPolygonRun(body, false);
    else
    {
        // Runs of other types say how many primitives they hold.
        int64_t n = 1;
        const std::string_view suffix = "_run";
        if (type.size() > suffix.size() && type.substr(type.size() - suffix.size()) == suffix)
        {
            const KeyValueList fields(myCtx, body, "a primitive run");
            fields.finish();
            const KeyValueField *field = fields.find("nprimitives", "n_p");
            if (!field)
                failAt(myCtx.path, "missing key \"nprimitives\"");
            PathScope scope(myCtx.path, field->key);
            n = expectCount(myCtx, field->value, "a primitive count");
        }
        count(n);
        myCtx.info.skippedPrimitives += n;
    }
}
}  // namespace

void readPrimitives(GeoReadContext &ctx, JsonValue list, const std::vector<int64_t> &vertexPoints,
                    int64_t primitiveCount, PolygonList &polygons)
{
    PrimitiveReader reader(ctx, vertexPoints, primitiveCount, polygons);
    uint64_t index = 0;
    for (JsonValue entry : expectArray(ctx, list, "an array of primitives"))
    {
        PathScope scope(ctx.path, index++);
        reader.readEntry(entry);
    }
    if (reader.total() != primitiveCount)
        failAt(ctx.path, "holds " + std::to_string(reader.total()) + " primitives, but primitivecount is " +
                             std::to_string(primitiveCount));
}
