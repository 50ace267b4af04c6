#include "render/preview_geometry.h"

#include <algorithm>
#include <cmath>

namespace
{
bool codeMatches(int32_t wanted, int32_t code) { return wanted == 0 ? (code == 0 || code == 1) : code == wanted; }

// Copies the first three components of every point into out (3 per point).
// Interleaved three-float attributes are read a page at a time; any other
// storage goes through the attribute's double conversion.
void readTriplesPaged(const GA_ATINumeric &attrib, GA_Size count, float *out)
{
    const GA_PageTableV3 *table = attrib.getData().getPageTableImplV3();
    if (table && table->size() >= count)
    {
        for (GA_Offset first = 0; first < count; first += GA_PAGE_SIZE)
        {
            const GA_Page *page = table->page(first >> GA_PAGE_BITS);
            const float *data = static_cast<const float *>(page->data());
            const GA_Size slots = std::min<GA_Size>(GA_PAGE_SIZE, count - first);
            float *target = out + size_t(first) * 3;
            if (page->isConstant())
            {
                for (GA_Size i = 0; i < slots; ++i)
                    for (int k = 0; k < 3; ++k)
                        target[i * 3 + k] = data[k];
            }
            else
            {
                std::copy(data, data + slots * 3, target);
            }
        }
        return;
    }
    for (GA_Offset off = 0; off < count; ++off)
        for (int k = 0; k < 3; ++k)
            out[size_t(off) * 3 + size_t(k)] = float(attrib.getDouble(off, k));
}

bool finiteTriple(const float *p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }
}  // namespace

void readPointTriples(const GA_ATINumeric &attrib, GA_Size count, float *out) { readTriplesPaged(attrib, count, out); }

const GA_ATINumeric *findPointAttribute(const GU_Detail &detail, int32_t code)
{
    for (GA_AttributeDict::iterator it = detail.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
    {
        const GA_Attribute *attrib = it.attrib();
        if (!attrib)
            break;
        if (&attrib->getType() == &GA_ATINumeric::theAttributeType && attrib->getTupleSize() >= 3 &&
            codeMatches(code, attrib->getTypeInfo()))
            return static_cast<const GA_ATINumeric *>(attrib);
    }
    return nullptr;
}

bool gatherPoints(const GU_Detail &detail, PointSamples &points, std::string &error)
{
    const GA_Size count = detail.getNumPoints();
    points.positions.clear();
    points.lengths.clear();
    points.hasIntensity = false;
    if (count == 0)
        return true;
    const GA_ATINumeric *position = findPointAttribute(detail, 0);
    if (!position)
    {
        error = "the points have no position attribute (three or more numbers, type code 0 or 1)";
        return false;
    }
    points.positions.resize(size_t(count) * 3);
    readTriplesPaged(*position, count, points.positions.data());

    const GA_ATINumeric *intensity = findPointAttribute(detail, 4);
    if (!intensity)
        return true;
    points.hasIntensity = true;
    std::vector<float> values(size_t(count) * 3);
    readTriplesPaged(*intensity, count, values.data());
    points.lengths.resize(size_t(count));
    for (size_t i = 0; i < size_t(count); ++i)
    {
        const double x = values[i * 3], y = values[i * 3 + 1], z = values[i * 3 + 2];
        points.lengths[i] = std::sqrt((x * x + y * y) + z * z);
    }
    return true;
}

bool gatherTriangles(const GU_Detail &detail, TriangleSamples &triangles, std::string &error)
{
    triangles.positions.clear();
    triangles.corners.clear();
    triangles.skipped = 0;
    const GA_Size primCount = detail.getNumPrimitives();
    if (primCount == 0)
        return true;
    const GA_ATINumeric *position = findPointAttribute(detail, 0);
    if (!position)
    {
        error = "the collider has no position attribute (three or more numbers, type code 0 or 1)";
        return false;
    }
    const GA_Size pointCount = detail.getNumPoints();
    triangles.positions.resize(size_t(pointCount) * 3);
    readTriplesPaged(*position, pointCount, triangles.positions.data());

    triangles.corners.reserve(size_t(primCount) * 3);
    const GEO_PrimList &prims = detail.primitives();
    for (GA_Index j = 0; j < primCount; ++j)
    {
        const GEO_Primitive *prim = prims.rawEntry(j);
        bool usable = prim->getVertexCount() >= 3;
        GA_Offset corner[3] = {0, 0, 0};
        for (int k = 0; k < 3 && usable; ++k)
        {
            corner[k] = prim->getPointOffset(k);
            usable =
                corner[k] >= 0 && corner[k] < pointCount && finiteTriple(&triangles.positions[size_t(corner[k]) * 3]);
        }
        if (!usable)
        {
            ++triangles.skipped;
            continue;
        }
        triangles.corners.insert(triangles.corners.end(), corner, corner + 3);
    }
    return true;
}
