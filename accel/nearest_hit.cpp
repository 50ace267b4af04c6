#include "accel/nearest_hit.h"

bool nearestHitExhaustive(const std::vector<Triangle> &triangles, const std::vector<int64_t> &primitiveIndex,
                          const UT_Vector3 &origin, const UT_Vector3 &direction, NearestHit &out)
{
    if (!primitiveIndex.empty() && primitiveIndex.size() != triangles.size())
        return false;
    double best = kNoHitSquaredDistance;
    bool found = false;
    for (size_t j = 0; j < triangles.size(); ++j)
    {
        TriangleHit hit;
        if (!hitTriangle(origin, direction, triangles[j], hit))
            continue;
        // Strictly closer only: among equal distances the first one stays.
        if (double(hit.squaredDistance) < best)
        {
            best = hit.squaredDistance;
            out.primitive = primitiveIndex.empty() ? int64_t(j) : primitiveIndex[j];
            out.hit = hit;
            found = true;
        }
    }
    return found;
}
