#include "io/obj/obj_reader.h"

#include "io/obj/obj_line_scan.h"
#include "io/read_failure.h"

#include <GA/GA_ATINumeric.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace
{
class ObjError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

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

void buildGeometry(const ObjScan &scan, GU_Detail &gdp, std::vector<std::string> &warnings)
{
    const int64_t pointCount = int64_t(scan.positions.size() / 3);
    const int64_t normalCount = int64_t(scan.normals.size() / 3);

    // Faces as point numbers, checked against the counts, with their lines.
    std::vector<std::vector<GA_Offset>> faces(scan.faceCorners.size());
    std::vector<NormalSum> normals(static_cast<size_t>(pointCount));
    bool anyNormal = false;
    size_t corner = 0;
    for (size_t face = 0; face < faces.size(); ++face)
    {
        const std::string where = "line " + std::to_string(scan.faceLines[face]) + ": ";
        std::vector<GA_Offset> &points = faces[face];
        points.resize(size_t(scan.faceCorners[face]));
        for (size_t k = 0; k < points.size(); ++k, ++corner)
        {
            const ObjCorner &c = scan.corners[corner];
            if (c.vertex < 0 || c.vertex >= pointCount)
                throw ObjError(where + "corner " + std::to_string(k + 1) + " refers to vertex " +
                               std::to_string(c.vertex + 1) + ", but the file has " + std::to_string(pointCount) +
                               " vertices");
            if (c.normal != kNoObjNormal && (c.normal < 0 || c.normal >= normalCount))
                throw ObjError(where + "corner " + std::to_string(k + 1) + " refers to normal " +
                               std::to_string(c.normal + 1) + ", but the file has " + std::to_string(normalCount) +
                               " normals");
            if (c.normal != kNoObjNormal)
            {
                normals[size_t(c.vertex)].add(&scan.normals[size_t(c.normal) * 3]);
                anyNormal = true;
            }
            points[k] = c.vertex;
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
}  // namespace

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
        buildGeometry(scan, gdp, result.warnings);
        for (std::string &warning : result.warnings)
            warning = name + ": " + warning;
        result.ok = true;
    }
    catch (...)
    {
        result.message = readFailureMessage(name);
    }
    if (!result.ok)
        gdp.clearAndDestroy();
    return result;
}

GeometryReadResult readObjFile(const std::string &path, GU_Detail &gdp)
{
    FileBytes text;
    GeometryReadResult result;
    if (!loadInputFile(path, text, 0, result))
    {
        gdp.clearAndDestroy();
        return result;
    }
    return readObjText(text.view(), path, gdp);
}
