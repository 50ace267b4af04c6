#include "io/geo/geo_writer.h"

#include "io/file_access.h"
#include "io/geo/geo_attribute_writer.h"
#include "io/json/json_text.h"

#include <GEO/GEO_Primitive.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

namespace
{
// The version written into every file: the host version these files are for.
constexpr const char *kFileVersion = "15.5.565";

std::vector<const GEO_PrimPoly *> collectPolygons(const GU_Detail &gdp, std::vector<std::string> &warnings)
{
    std::vector<const GEO_PrimPoly *> polygons;
    const GA_Size count = gdp.getNumPrimitives();
    polygons.reserve(size_t(count));
    int64_t skipped = 0;
    for (GA_Size i = 0; i < count; ++i)
    {
        const GEO_Primitive *prim = gdp.primitives().rawEntry(i);
        if (prim && prim->getTypeId() == GEO_PRIMPOLY)
            polygons.push_back(static_cast<const GEO_PrimPoly *>(prim));
        else
            ++skipped;
    }
    if (skipped > 0)
        warnings.push_back(std::to_string(skipped) + " primitives that are not polygons were not written");
    return polygons;
}

// Runs of polygons that share the closed flag, one per line of the body.
void writePrimitives(JsonText &json, const std::vector<const GEO_PrimPoly *> &polygons)
{
    json.raw("\t\"primitives\",[");
    int64_t vertex = 0;
    size_t i = 0;
    while (i < polygons.size())
    {
        const bool closed = polygons[i]->isClosed();
        json.raw(i ? ",\n" : "\n");
        json.raw("\t\t[[\"type\",\"run\",\"runtype\",\"Poly\",\"varyingfields\",[\"vertex\"],"
                 "\"uniformfields\",{\"closed\":");
        json.raw(closed ? "true" : "false");
        json.raw("}],[");
        bool firstInRun = true;
        for (; i < polygons.size() && polygons[i]->isClosed() == closed; ++i)
        {
            json.raw(firstInRun ? "\n" : ",\n");
            firstInRun = false;
            json.raw("\t\t\t[[");
            const GA_Size n = polygons[i]->getVertexCount();
            for (GA_Size k = 0; k < n; ++k)
            {
                if (k)
                    json.raw(',');
                json.integer(vertex++);
            }
            json.raw("]]");
        }
        json.raw("\n\t\t]]");
    }
    json.raw(polygons.empty() ? "]\n" : "\n\t]\n");
}

// Writes the whole document; allocation failures and failed writes throw.
void writeDocument(JsonText &json, const GU_Detail &gdp, const GeoWriteOptions &options,
                   std::vector<std::string> &warnings)
{
    const std::vector<const GEO_PrimPoly *> polygons = collectPolygons(gdp, warnings);
    int64_t vertexCount = 0;
    for (const GEO_PrimPoly *polygon : polygons)
        vertexCount += polygon->getVertexCount();
    json.raw("[\n\t\"fileversion\",\"");
    json.raw(kFileVersion);
    json.raw("\",\n\t\"hasindex\",false,\n\t\"pointcount\",");
    json.integer(gdp.getNumPoints());
    json.raw(",\n\t\"vertexcount\",");
    json.integer(vertexCount);
    json.raw(",\n\t\"primitivecount\",");
    json.integer(int64_t(polygons.size()));
    json.raw(",\n\t\"info\",{\n\t\t\"software\":\"velkor\"\n\t},\n");

    json.raw("\t\"topology\",[\n\t\t\"pointref\",[\n\t\t\t\"indices\",[");
    bool first = true;
    for (const GEO_PrimPoly *polygon : polygons)
    {
        const GA_Size n = polygon->getVertexCount();
        for (GA_Size k = 0; k < n; ++k)
        {
            if (!first)
                json.raw(',');
            first = false;
            json.integer(gdp.getPointMap().indexFromOffset(polygon->getPointOffset(k)));
        }
    }
    json.raw("]\n\t\t]\n\t],\n");

    json.raw("\t\"attributes\",[\n\t\t\"pointattributes\",[\n");
    writePointAttributes(json, gdp, options, warnings);
    json.raw("\t\t]\n\t],\n");

    writePrimitives(json, polygons);
    json.raw("]\n");
    json.finish();
}
}  // namespace

IoResult formatGeoText(const GU_Detail &gdp, std::string &text, const GeoWriteOptions &options)
{
    IoResult result;
    try
    {
        text.clear();
        JsonText json([&text](std::string_view block) { text.append(block); });
        writeDocument(json, gdp, options, result.warnings);
        result.ok = true;
    }
    catch (const std::bad_alloc &)
    {
        result.message = "out of memory while formatting the geometry";
    }
    catch (const std::exception &error)
    {
        result.message = error.what();
    }
    return result;
}

IoResult writeGeoFile(const std::string &path, const GU_Detail &gdp, const GeoWriteOptions &options)
{
    IoResult result;
    bool stopped = false;
    try
    {
        AtomicFile file(path);
        std::string error;
        if (!file.open(error))
        {
            result.message = error;
            return result;
        }
        JsonText json([&](std::string_view text) {
            if (options.interrupted && options.interrupted())
            {
                stopped = true;
                throw std::runtime_error("interrupted");
            }
            if (!file.write(text))
                throw std::runtime_error("write failed");
        });
        writeDocument(json, gdp, options, result.warnings);
        if (!file.commit(error))
        {
            result.message = error;
            return result;
        }
        result.ok = true;
    }
    catch (const std::bad_alloc &)
    {
        result.message = path + ": out of memory while writing";
    }
    catch (const std::exception &)
    {
        // The temporary file is gone; the target is as it was.
        result.message = path + (stopped ? ": interrupted; the file was not written"
                                         : ": write failed (disk full or the file system refused it)");
    }
    for (std::string &warning : result.warnings)
        warning = path + ": " + warning;
    return result;
}
