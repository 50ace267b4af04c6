// velkor_embree_reference: traces the primary rays of a `velkor cook` of two
// files with Embree on one thread, and prints what the benchmark script
// reads, one `key=value` per line.
//
//   velkor_embree_reference POINTS COLLIDER
//
// Only the tracing is timed; the scene build is timed apart. The one-sided
// trace is the reference; the two-sided trace of the same rays shows what
// the one-sided emulation costs. A sample of the rays is also traced by the
// project's own exact search, and the share of equal nearest triangles shows
// that both tracers see the same scene (rays that cross a shared edge may
// name either neighbour).
#include "accel/collider_bvh.h"
#include "bench/cook_scene.h"
#include "bench/embree_reference.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{

constexpr size_t kCheckedRays = 20000;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Timing
{
    double buildSeconds = 0.0;
    double traceSeconds = 0.0;
    double traceCpuSeconds = 0.0;  // the process's processor time: shows what other load took
    std::string method;
};

bool timeTrace(const CookScene &scene, Sidedness sidedness, std::vector<EmbreeHit> &hits, Timing &timing)
{
    EmbreeReference embree;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    if (!embree.build(scene.colliderPoints, scene.triangles, sidedness, error))
    {
        std::fprintf(stderr, "velkor_embree_reference: %s\n", error.c_str());
        return false;
    }
    timing.buildSeconds = secondsSince(start);
    timing.method = embree.sidednessMethod();
    hits.assign(scene.origins.size(), EmbreeHit());
    start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    embree.trace(scene.origins.data(), scene.directions.data(), scene.origins.size(), hits.data());
    timing.traceCpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    timing.traceSeconds = secondsSince(start);
    return true;
}

size_t countHits(const std::vector<EmbreeHit> &hits)
{
    size_t n = 0;
    for (const EmbreeHit &h : hits)
        n += h.triangle >= 0;
    return n;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: velkor_embree_reference POINTS COLLIDER\n");
        return 2;
    }
    CookScene scene;
    std::string error;
    if (!loadCookScene(argv[1], argv[2], scene, error))
    {
        std::fprintf(stderr, "velkor_embree_reference: %s\n", error.c_str());
        return 2;
    }

    std::vector<EmbreeHit> oneSided, twoSided;
    Timing one, two;
    if (!timeTrace(scene, Sidedness::OneSided, oneSided, one) || !timeTrace(scene, Sidedness::TwoSided, twoSided, two))
        return 1;

    ColliderBvh bvh;
    bvh.build(cookTriangles(scene));
    const size_t stride = std::max<size_t>(1, scene.origins.size() / kCheckedRays);
    size_t checked = 0, agreeing = 0;
    for (size_t i = 0; i < scene.origins.size(); i += stride)
    {
        NearestHit hit;
        const int64_t ours = bvh.nearestHit(scene.origins[i], scene.directions[i], hit) ? hit.primitive : -1;
        ++checked;
        agreeing += ours == oneSided[i].triangle;
    }

    const double rays = double(scene.origins.size());
    std::printf("embree_version=%s\n", EmbreeReference::version().c_str());
    std::printf("embree_query=rtcIntersect1, one ray per call\n");
    std::printf("embree_one_sided=%s\n", one.method.c_str());
    std::printf("triangles=%zu\n", scene.triangles.size());
    std::printf("rays=%zu\n", scene.origins.size());
    std::printf("build_seconds=%.4f\n", one.buildSeconds);
    std::printf("trace_seconds=%.4f\n", one.traceSeconds);
    std::printf("trace_cpu_seconds=%.4f\n", one.traceCpuSeconds);
    std::printf("rays_per_second=%.0f\n", rays / one.traceSeconds);
    std::printf("hits=%zu\n", countHits(oneSided));
    std::printf("two_sided_trace_seconds=%.4f\n", two.traceSeconds);
    std::printf("two_sided_rays_per_second=%.0f\n", rays / two.traceSeconds);
    std::printf("two_sided_hits=%zu\n", countHits(twoSided));
    std::printf("checked_rays=%zu\n", checked);
    std::printf("agreeing_rays=%zu\n", agreeing);
    return 0;
}
