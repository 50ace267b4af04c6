// Nearest-hit queries from inside the room scene: one million incoherent
// rays, on one thread and on all of them, in rays per second.
#include "bench/bench_scenes.h"

#include <UT/UT_ParallelUtil.h>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace
{

size_t traceAll(const ColliderBvh &bvh, const std::vector<SceneRay> &rays, size_t count, int threads)
{
    const auto trace = [&](size_t begin, size_t end) {
        size_t hits = 0;
        for (size_t i = begin; i < end; ++i)
        {
            NearestHit hit;
            hits += bvh.nearestHit(rays[i].origin, rays[i].direction, hit);
        }
        return hits;
    };
    if (threads == 1)
        return trace(0, count);
    return UTparallelReduce(
        0, count, 1024, size_t(0), [&](size_t begin, size_t end, size_t hits) { return hits + trace(begin, end); },
        [](size_t a, size_t b) { return a + b; });
}

void bvhQuery(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const ColliderBvh &bvh = roomBvh(n);
    const std::vector<SceneRay> &rays = roomRays(n);
    const int threads = benchThreads(state.range(1));
    const UT_ThreadLimit limit(threads);
    size_t hits = 0;
    for (auto _ : state)
        hits = traceAll(bvh, rays, rays.size(), threads);
    state.counters["rays_per_second"] =
        benchmark::Counter(double(rays.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["threads"] = threads;
    state.counters["hit_fraction"] = double(hits) / double(rays.size());
}

// The reference the structure replaces, on a few thousand rays.
void exhaustiveQuery(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const std::vector<Triangle> &triangles = roomTriangles(n);
    const std::vector<SceneRay> &rays = roomRays(n);
    const size_t count = std::min<size_t>(rays.size(), 2000000 / n + 1);
    for (auto _ : state)
        for (size_t i = 0; i < count; ++i)
        {
            NearestHit hit;
            benchmark::DoNotOptimize(nearestHitExhaustive(triangles, {}, rays[i].origin, rays[i].direction, hit));
        }
    state.counters["rays_per_second"] =
        benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Rays that leave a surface, as the tracer's later generations do: from the
// hit point of each room ray that hits, along its mirror direction about the
// struck triangle's plane. Their origins lie on a triangle.
std::vector<SceneRay> secondaryRays(size_t n)
{
    const ColliderBvh &bvh = roomBvh(n);
    const std::vector<Triangle> &triangles = roomTriangles(n);
    std::vector<SceneRay> rays;
    for (const SceneRay &ray : roomRays(n))
    {
        NearestHit hit;
        if (!bvh.nearestHit(ray.origin, ray.direction, hit))
            continue;
        const Triangle &t = triangles[size_t(hit.primitive)];
        UT_Vector3 normal = cross(sub(t[2], t[0]), sub(t[1], t[0]));
        safeNormalize(normal);
        UT_Vector3 mirrored = ray.direction;
        const float k = 2.0f * dot(mirrored, normal);
        mirrored =
            UT_Vector3(mirrored.x() - k * normal.x(), mirrored.y() - k * normal.y(), mirrored.z() - k * normal.z());
        safeNormalize(mirrored);
        rays.push_back({hit.hit.point, mirrored});
    }
    return rays;
}

void bvhSecondaryQuery(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const ColliderBvh &bvh = roomBvh(n);
    const std::vector<SceneRay> rays = secondaryRays(n);
    size_t hits = 0;
    for (auto _ : state)
        hits = traceAll(bvh, rays, rays.size(), 1);
    state.counters["rays_per_second"] =
        benchmark::Counter(double(rays.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["hit_fraction"] = double(hits) / double(rays.size());
}

}  // namespace

BENCHMARK(bvhSecondaryQuery)
    ->ArgName("triangles")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(bvhQuery)
    ->ArgNames({"triangles", "threads"})
    ->ArgsProduct({{1000, 10000, 100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(exhaustiveQuery)->ArgName("triangles")->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
