#include "bench/cook_scene.h"

#include "io/geometry_file.h"
#include "trace/attribute_lists.h"
#include "trace/point_tracer.h"

#include <GEO/GEO_PrimList.h>

namespace
{

bool readFile(const std::string &path, GU_Detail &gdp, AttributeLists &lists, std::string &error)
{
    const GeometryReadResult read = readGeometryFile(path, gdp);
    if (!read)
    {
        error = read.message;
        return false;
    }
    lists = gatherAttributeLists(gdp, HandleForm::ReadOnly, ListKinds::All, DataIds::Keep);
    if (lists.positions.isEmpty() || lists.directions.isEmpty())
    {
        error = path + ": needs point attributes for position and direction";
        return false;
    }
    return true;
}

}  // namespace

bool loadCookScene(const std::string &pointsPath, const std::string &colliderPath, CookScene &scene, std::string &error)
{
    scene = CookScene();
    GU_Detail points, collider;
    AttributeLists pointLists, colliderLists;
    if (!readFile(pointsPath, points, pointLists, error) || !readFile(colliderPath, collider, colliderLists, error))
        return false;

    const GA_Size pointCount = points.getNumPoints();
    scene.origins.reserve(size_t(pointCount));
    scene.directions.reserve(size_t(pointCount));
    for (GA_Offset p = 0; p < GA_Offset(pointCount); ++p)
    {
        scene.origins.push_back(readVector(pointLists.positions(0), p));
        scene.directions.push_back(primaryDirection(readVector(pointLists.directions(0), p)));
    }

    const GA_Size colliderCount = collider.getNumPoints();
    scene.colliderPoints.reserve(size_t(colliderCount));
    for (GA_Offset p = 0; p < GA_Offset(colliderCount); ++p)
        scene.colliderPoints.push_back(readVector(colliderLists.positions(0), p));
    const GEO_PrimList &prims = collider.primitives();
    scene.triangles.reserve(size_t(prims.entries()));
    for (GA_Index j = 0; j < prims.entries(); ++j)
    {
        const GEO_Primitive *prim = prims.rawEntry(j);
        if (prim->getVertexCount() < 3)
            continue;
        std::array<int32_t, 3> corners;
        bool valid = true;
        for (int k = 0; k < 3; ++k)
        {
            const GA_Index point = prim->getVertexElement(k).getPointIndex();
            valid = valid && point >= 0 && point < colliderCount;
            corners[size_t(k)] = int32_t(point);
        }
        if (valid)
            scene.triangles.push_back(corners);
    }
    return true;
}

std::vector<Triangle> cookTriangles(const CookScene &scene)
{
    std::vector<Triangle> result;
    result.reserve(scene.triangles.size());
    for (const std::array<int32_t, 3> &t : scene.triangles)
        result.push_back({scene.colliderPoints[size_t(t[0])], scene.colliderPoints[size_t(t[1])],
                          scene.colliderPoints[size_t(t[2])]});
    return result;
}
