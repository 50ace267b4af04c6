#include "io/obj_reader.h"

#include "io/file_access.h"
#include "io/obj_line_scan.h"

#include <GA/GA_ATINumeric.h>

#include <tiny_obj_loader.h>

#include <cmath>
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

namespace
{
class ObjError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The loader's first error line, without its trailing newlines.
std::string firstLine(const std::string &text)
{
    const size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// Per-point normal: the first one seen and, once another differs, the sum.
struct NormalSum
{
    float first[3] = {0, 0, 0};
    double sum[3] = {0, 0, 0};
    int64_t count = 0;
    bool differ = false;

    void add(const float *n)
    {
        if (count == 0)
            std::copy(n, n + 3, first);
        else if (n[0] != first[0] || n[1] != first[1] || n[2] != first[2])
            differ = true;
        for (int i = 0; i < 3; ++i)
            sum[i] += double(n[i]);
        ++count;
    }
};

void setTuples(GA_ATINumeric &attribute, GA_Offset first, const std::vector<float> &xyz)
{
    GA_DataArray &array = attribute.getData().array(0);
    const size_t count = xyz.size() / 3;
    for (size_t i = 0; i < count; ++i)
        array.setTupleBytes(first + GA_Offset(i), &xyz[i * 3]);
}

void buildGeometry(const ObjScan &scan, const tinyobj::ObjReader &reader, GU_Detail &gdp,
                   std::vector<std::string> &warnings)
{
    const int64_t pointCount = int64_t(scan.positions.size() / 3);
    const int64_t normalCount = int64_t(scan.normals.size() / 3);
    const tinyobj::attrib_t &attrib = reader.GetAttrib();
    int64_t faceCount = 0;
    for (const tinyobj::shape_t &shape : reader.GetShapes())
        faceCount += int64_t(shape.mesh.num_face_vertices.size());
    if (int64_t(attrib.vertices.size() / 3) != pointCount || int64_t(attrib.normals.size() / 3) != normalCount ||
        faceCount != int64_t(scan.faceLines.size()))
        throw ObjError("the OBJ loader and the line check disagree about the statements; the file is malformed");

    // Faces as point numbers, checked against the counts, with their lines.
    std::vector<std::vector<GA_Offset>> faces;
    std::vector<NormalSum> normals(static_cast<size_t>(pointCount));
    bool anyNormal = false;
    size_t face = 0;
    for (const tinyobj::shape_t &shape : reader.GetShapes())
    {
        size_t corner = 0;
        for (const unsigned char n : shape.mesh.num_face_vertices)
        {
            const std::string where = "line " + std::to_string(scan.faceLines[face]) + ": ";
            if (int64_t(n) != scan.faceCorners[face])
                throw ObjError(where + "the face could not be read consistently");
            std::vector<GA_Offset> points;
            if (corner + n > shape.mesh.indices.size())
                throw ObjError(where + "the face could not be read consistently");
            for (unsigned k = 0; k < n; ++k, ++corner)
            {
                const tinyobj::index_t &index = shape.mesh.indices[corner];
                if (index.vertex_index < 0 || index.vertex_index >= pointCount)
                    throw ObjError(where + "corner " + std::to_string(k + 1) + " refers to vertex " +
                                   std::to_string(int64_t(index.vertex_index) + 1) + ", but the file has " +
                                   std::to_string(pointCount) + " vertices");
                if (index.normal_index >= normalCount)
                    throw ObjError(where + "corner " + std::to_string(k + 1) + " refers to normal " +
                                   std::to_string(int64_t(index.normal_index) + 1) + ", but the file has " +
                                   std::to_string(normalCount) + " normals");
                if (index.normal_index >= 0)
                {
                    normals[size_t(index.vertex_index)].add(&scan.normals[size_t(index.normal_index) * 3]);
                    anyNormal = true;
                }
                points.push_back(index.vertex_index);
            }
            faces.push_back(std::move(points));
            ++face;
        }
    }

    const GA_Offset first = gdp.appendPointBlock(pointCount);
    GA_ATINumeric *position = gdp.addFloatTuple3("P", GA_TYPE_POINT);
    if (!position)
        throw ObjError("the geometry refused the position attribute");
    setTuples(*position, first, scan.positions);
    if (anyNormal)
    {
        std::vector<float> values(size_t(pointCount) * 3, 0.0f);
        int64_t without = 0, cancelled = 0;
        for (int64_t p = 0; p < pointCount; ++p)
        {
            const NormalSum &n = normals[size_t(p)];
            float *out = &values[size_t(p) * 3];
            if (n.count == 0)
                ++without;
            else if (!n.differ)
                std::copy(n.first, n.first + 3, out);
            else
            {
                const double length = std::sqrt(n.sum[0] * n.sum[0] + n.sum[1] * n.sum[1] + n.sum[2] * n.sum[2]);
                if (length > 0 && std::isfinite(length))
                    for (int i = 0; i < 3; ++i)
                        out[i] = float(n.sum[i] / length);
                else
                    ++cancelled;
            }
        }
        GA_ATINumeric *direction = gdp.addFloatTuple3("N", GA_TYPE_VECTOR);
        if (!direction)
            throw ObjError("the geometry refused the normal attribute");
        setTuples(*direction, first, values);
        if (without > 0)
            warnings.push_back(std::to_string(without) + " vertices have no normal; their N is (0, 0, 0)");
        if (cancelled > 0)
            warnings.push_back(std::to_string(cancelled) +
                               " vertices have normals that cancel out; their N is (0, 0, 0)");
    }
    for (std::vector<GA_Offset> &points : faces)
    {
        for (GA_Offset &p : points)
            p += first;
        gdp.appendPolygon(points, true);
    }
    if (scan.skippedElements > 0)
        warnings.push_back(std::to_string(scan.skippedElements) + " line and point elements were skipped");
}
} // namespace

GeometryReadResult readObjText(std::string_view text, const std::string &name, GU_Detail &gdp)
{
    GeometryReadResult result;
    try
    {
        gdp.clearAndDestroy();
        ObjScan scan;
        std::string error;
        if (!scanObjText(text, scan, error))
            throw ObjError(error);
        // The loader keeps each face's corner count in 8 bits.
        for (size_t f = 0; f < scan.faceCorners.size(); ++f)
            if (scan.faceCorners[f] > 255)
                throw ObjError("line " + std::to_string(scan.faceLines[f]) +
                               ": faces of more than 255 corners are not supported");
        tinyobj::ObjReaderConfig config;
        config.triangulate = false;
        config.vertex_color = false;
        tinyobj::ObjReader reader;
        if (!reader.ParseFromString(std::string(text), std::string(), config))
            throw ObjError(firstLine(reader.Error()));
        buildGeometry(scan, reader, gdp, result.warnings);
        for (std::string &warning : result.warnings)
            warning = name + ": " + warning;
        result.ok = true;
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

GeometryReadResult readObjFile(const std::string &path, GU_Detail &gdp)
{
    FileBytes text;
    std::string error;
    GeometryReadResult result;
    try
    {
        if (!readWholeFile(path, text, 0, error))
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
    return readObjText(text.view(), path, gdp);
}
