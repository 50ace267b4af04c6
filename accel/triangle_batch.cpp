#include "accel/triangle_batch.h"

#include "accel/triangle_lanes.h"

namespace
{

Vec4x3 broadcast3(const UT_Vector3 &v)
{
    return {Float4::broadcast(v.x()), Float4::broadcast(v.y()), Float4::broadcast(v.z())};
}

}  // namespace

ExactRay makeExactRay(const UT_Vector3 &origin, const UT_Vector3 &direction)
{
    ExactRay ray;
    setExactRay(ray, origin, direction);
    return ray;
}

void setExactRay(ExactRay &ray, const UT_Vector3 &origin, const UT_Vector3 &direction)
{
    ray.origin = origin;
    ray.direction = direction;
    ray.unit = direction;
    safeNormalize(ray.unit);
    ray.origin4 = broadcast3(origin);
    ray.direction4 = broadcast3(direction);
    ray.unit4 = broadcast3(ray.unit);
}

bool testTriangleBatch(const PackedTriangle *triangles, int count, const ExactRay &ray, BestHit &best)
{
    return testLanes<FourLanes>(triangles, count, ray, best);
}

bool testTriangles(const PackedTriangle *triangles, size_t count, const ExactRay &ray, BestHit &best)
{
    bool changed = false;
    for (size_t first = 0; first < count; first += 4)
    {
        const int batch = count - first < 4 ? int(count - first) : 4;
        changed |= testTriangleBatch(triangles + first, batch, ray, best);
    }
    return changed;
}

#if defined(VELKOR_ACCEL_AVX2)
__attribute__((target("avx2"), flatten)) bool testTriangleBatch8(const PackedTriangle *triangles, int count,
                                                                 const ExactRay &ray, BestHit &best)
{
    return testLanes<EightLanes>(triangles, count, ray, best);
}
#endif
