#include "bench/bench_scenes.h"

#include <map>
#include <memory>
#include <thread>

namespace
{

constexpr size_t kRays = 1000000;

struct Entry
{
    RoomScene scene;
    std::vector<Triangle> triangles;
    std::vector<SceneRay> rays;
    std::unique_ptr<ColliderBvh> bvh;
};

Entry &entry(size_t n)
{
    static std::map<size_t, Entry> cache;
    Entry &e = cache[n];
    if (e.triangles.empty())
    {
        e.scene = makeRoomScene(n);
        e.triangles = sceneTriangles(e.scene);
    }
    return e;
}

}  // namespace

const std::vector<Triangle> &roomTriangles(size_t n) { return entry(n).triangles; }

const std::vector<SceneRay> &roomRays(size_t n)
{
    Entry &e = entry(n);
    if (e.rays.empty())
        e.rays = makeRoomRays(e.scene, kRays);
    return e.rays;
}

const ColliderBvh &roomBvh(size_t n)
{
    Entry &e = entry(n);
    if (!e.bvh)
    {
        e.bvh.reset(new ColliderBvh);
        e.bvh->build(e.triangles);
    }
    return *e.bvh;
}

int benchThreads(long argument) { return argument > 0 ? int(argument) : int(std::thread::hardware_concurrency()); }
