#include "bench/embree_reference.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <limits>

struct EmbreeReference::Handles
{
    RTCDevice device = nullptr;
    RTCScene scene = nullptr;
};

namespace
{

// Keeps a candidate only when the ray travels along the triangle's winding
// normal. Embree's geometry normal Ng is cross(P1 - P0, P2 - P0) up to a
// positive factor (the unit test pins this down), so a front hit for the node
// has dot(direction, Ng) > 0.
void keepFrontHits(const RTCFilterFunctionNArguments *args)
{
    for (unsigned i = 0; i < args->N; ++i)
    {
        if (args->valid[i] == 0)
            continue;
        const float dx = RTCRayN_dir_x(args->ray, args->N, i);
        const float dy = RTCRayN_dir_y(args->ray, args->N, i);
        const float dz = RTCRayN_dir_z(args->ray, args->N, i);
        const float nx = RTCHitN_Ng_x(args->hit, args->N, i);
        const float ny = RTCHitN_Ng_y(args->hit, args->N, i);
        const float nz = RTCHitN_Ng_z(args->hit, args->N, i);
        if (!((dx * nx + dy * ny) + dz * nz > 0.0f))
            args->valid[i] = 0;
    }
}

}  // namespace

EmbreeReference::EmbreeReference() : myHandles(new Handles) {}

EmbreeReference::~EmbreeReference()
{
    release();
    delete myHandles;
}

void EmbreeReference::release()
{
    if (myHandles->scene)
        rtcReleaseScene(myHandles->scene);
    if (myHandles->device)
        rtcReleaseDevice(myHandles->device);
    *myHandles = Handles();
}

std::string EmbreeReference::version() { return RTC_VERSION_STRING; }

bool EmbreeReference::build(const std::vector<UT_Vector3> &points, const std::vector<std::array<int32_t, 3>> &triangles,
                            Sidedness sidedness, std::string &error)
{
    release();
    RTCDevice device = rtcNewDevice("threads=1");
    if (!device)
    {
        error = "embree: cannot create a device";
        return false;
    }
    myHandles->device = device;
    const bool culling = rtcGetDeviceProperty(device, RTC_DEVICE_PROPERTY_BACKFACE_CULLING_ENABLED) != 0;
    const bool filters = rtcGetDeviceProperty(device, RTC_DEVICE_PROPERTY_FILTER_FUNCTION_SUPPORTED) != 0;
    const bool swapCorners = sidedness == Sidedness::OneSided && culling;
    const bool filter = sidedness == Sidedness::OneSided && !culling;
    if (filter && !filters)
    {
        error = "embree: built without back-face culling and without filter functions: cannot trace one-sided";
        return false;
    }
    myMethod = sidedness == Sidedness::TwoSided ? "none (two-sided)"
               : swapCorners                    ? "back-face culling (corners swapped)"
                                                : "intersection filter";

    RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto *vertices = static_cast<float *>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0,
                                                                  RTC_FORMAT_FLOAT3, 3 * sizeof(float), points.size()));
    auto *indices = static_cast<uint32_t *>(rtcSetNewGeometryBuffer(
        geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(uint32_t), triangles.size()));
    if (!vertices || !indices)
    {
        rtcReleaseGeometry(geometry);
        error = "embree: cannot allocate the scene's buffers";
        return false;
    }
    for (size_t i = 0; i < points.size(); ++i)
        for (int c = 0; c < 3; ++c)
            vertices[3 * i + size_t(c)] = points[i][c];
    for (size_t i = 0; i < triangles.size(); ++i)
    {
        indices[3 * i] = uint32_t(triangles[i][0]);
        indices[3 * i + 1] = uint32_t(triangles[i][swapCorners ? 2 : 1]);
        indices[3 * i + 2] = uint32_t(triangles[i][swapCorners ? 1 : 2]);
    }
    if (filter)
        rtcSetGeometryIntersectFilterFunction(geometry, keepFrontHits);
    rtcCommitGeometry(geometry);

    RTCScene scene = rtcNewScene(device);
    rtcAttachGeometry(scene, geometry);
    rtcReleaseGeometry(geometry);
    rtcCommitScene(scene);
    myHandles->scene = scene;
    if (rtcGetDeviceError(device) != RTC_ERROR_NONE)
    {
        release();
        error = "embree: the scene could not be built";
        return false;
    }
    return true;
}

void EmbreeReference::trace(const UT_Vector3 *origins, const UT_Vector3 *directions, size_t count,
                            EmbreeHit *hits) const
{
    if (!myHandles->scene)
    {
        std::fill(hits, hits + count, EmbreeHit());
        return;
    }
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    for (size_t i = 0; i < count; ++i)
    {
        RTCRayHit rh;
        rh.ray.org_x = origins[i].x();
        rh.ray.org_y = origins[i].y();
        rh.ray.org_z = origins[i].z();
        rh.ray.dir_x = directions[i].x();
        rh.ray.dir_y = directions[i].y();
        rh.ray.dir_z = directions[i].z();
        rh.ray.tnear = 0.0f;
        rh.ray.tfar = std::numeric_limits<float>::infinity();
        rh.ray.time = 0.0f;
        rh.ray.mask = 0xFFFFFFFFu;
        rh.ray.id = 0;
        rh.ray.flags = 0;
        rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rh.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(myHandles->scene, &context, &rh);
        if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID)
            hits[i] = EmbreeHit();
        else
            hits[i] = {int64_t(rh.hit.primID), rh.ray.tfar};
    }
}
