#include "io/tests/test_geometry.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

std::string testDataPath(const std::string &name) { return std::string(VELKOR_IO_TEST_DATA) + "/" + name; }

std::string readTextFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string makeScratchFolder(const std::string &tag)
{
    // Test cases run as parallel processes: a random part keeps them apart.
    static std::atomic<int> counter{0};
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("velkor_io_" + tag + "_" + std::to_string(std::random_device()()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

const GA_ATINumeric *numericAttribute(const GU_Detail &gdp, const std::string &name)
{
    const GA_Attribute *attribute = gdp.findPointAttribute(name);
    if (!attribute || &attribute->getType() != &GA_ATINumeric::theAttributeType)
        return nullptr;
    return static_cast<const GA_ATINumeric *>(attribute);
}

std::vector<std::string> attributeNames(const GU_Detail &gdp)
{
    std::vector<std::string> names;
    for (GA_Size i = 0; i < gdp.pointAttribs().entries(); ++i)
        names.push_back(gdp.pointAttribs().entry(i)->getName());
    return names;
}

double component(const GU_Detail &gdp, const std::string &name, int64_t point, int c)
{
    const GA_ATINumeric *attribute = numericAttribute(gdp, name);
    return attribute ? attribute->getDouble(gdp.getPointMap().offsetFromIndex(point), c) : -12345.0;
}

std::vector<std::vector<int64_t>> polygonPoints(const GU_Detail &gdp)
{
    std::vector<std::vector<int64_t>> result;
    for (GA_Size i = 0; i < gdp.getNumPrimitives(); ++i)
    {
        const GEO_Primitive *prim = gdp.primitives().rawEntry(i);
        std::vector<int64_t> points;
        for (GA_Size k = 0; k < prim->getVertexCount(); ++k)
            points.push_back(gdp.getPointMap().indexFromOffset(prim->getPointOffset(k)));
        result.push_back(points);
    }
    return result;
}

void makePoints(GU_Detail &gdp, int64_t count)
{
    gdp.clearAndDestroy();
    const GA_Offset first = gdp.appendPointBlock(count);
    GA_ATINumeric *position = gdp.addFloatTuple3("P", GA_TYPE_POINT);
    for (int64_t i = 0; i < count; ++i)
    {
        const float p[3] = {float(i) / 7.0f, float(2 * i) / 7.0f, float(3 * i) / 7.0f};
        position->getData().array(0).setTupleBytes(first + i, p);
    }
}

std::string geoDocument(int64_t points, const std::string &pointAttributes, const std::string &indices,
                        int64_t vertices, const std::string &primitives, int64_t primitiveCount)
{
    return "[\"fileversion\",\"15.5.565\",\"hasindex\",false,\"pointcount\"," + std::to_string(points) +
           ",\"vertexcount\"," + std::to_string(vertices) + ",\"primitivecount\"," + std::to_string(primitiveCount) +
           ",\"topology\",[\"pointref\",[\"indices\",[" + indices + "]]],\"attributes\",[\"pointattributes\",[" +
           pointAttributes + "]],\"primitives\",[" + primitives + "]]";
}

std::string numericEntry(const std::string &name, const std::string &typeOptions, int size, const std::string &storage,
                         const std::string &encoding)
{
    const std::string sizeText = std::to_string(size);
    return "[[\"scope\",\"public\",\"type\",\"numeric\",\"name\",\"" + name + "\",\"options\",{" + typeOptions +
           "}],[\"size\"," + sizeText + ",\"storage\",\"" + storage +
           "\",\"defaults\",[\"size\",1,\"storage\",\"fpreal64\",\"values\",[0]],\"values\",[\"size\"," + sizeText +
           ",\"storage\",\"" + storage + "\"," + encoding + "]]]";
}
