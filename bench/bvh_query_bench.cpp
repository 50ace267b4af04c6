// Nearest-hit queries from inside the room scene: one million incoherent
// rays, on one thread and on all of them, in rays per second; and the same
// rays searched batch by batch in a coherent order, which pays once the
// hierarchy outgrows the caches and batches hold a few hundred thousand rays.
#include "accel/ray_order.h"
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

// The same rays on one thread, each batch of `batch` rays gathered in the
// coherent order (accel/ray_order.h) and searched in it; ordering and
// gathering are part of the time.
void bvhQuerySorted(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const size_t batch = size_t(state.range(1));
    const ColliderBvh &bvh = roomBvh(n);
    const std::vector<SceneRay> &rays = roomRays(n);
    std::vector<UT_Vector3> origins, directions;
    for (const SceneRay &ray : rays)
    {
        origins.push_back(ray.origin);
        directions.push_back(ray.direction);
    }
    std::vector<uint32_t> order;
    std::vector<SceneRay> gathered;
    size_t hits = 0;
    for (auto _ : state)
    {
        hits = 0;
        for (size_t begin = 0; begin < rays.size(); begin += batch)
        {
            const size_t count = std::min(batch, rays.size() - begin);
            coherentRayOrder(origins.data() + begin, 1, directions.data() + begin, count, order);
            gathered.resize(count);
            for (size_t j = 0; j < count; ++j)
            {
                const size_t i = begin + order[j];
                gathered[j] = {origins[i], directions[i]};
            }
            for (const SceneRay &ray : gathered)
            {
                NearestHit hit;
                hits += bvh.nearestHit(ray.origin, ray.direction, hit);
            }
        }
    }
    state.counters["rays_per_second"] =
        benchmark::Counter(double(rays.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["hit_fraction"] = double(hits) / double(rays.size());
}

// The ordering alone, per batch of `batch` rays.
void coherentOrder(benchmark::State &state)
{
    const size_t batch = size_t(state.range(0));
    const std::vector<SceneRay> &rays = roomRays(100000);
    std::vector<UT_Vector3> origins, directions;
    for (const SceneRay &ray : rays)
    {
        origins.push_back(ray.origin);
        directions.push_back(ray.direction);
    }
    std::vector<uint32_t> order;
    for (auto _ : state)
        for (size_t begin = 0; begin < rays.size(); begin += batch)
        {
            const size_t count = std::min(batch, rays.size() - begin);
            coherentRayOrder(origins.data() + begin, 1, directions.data() + begin, count, order);
            benchmark::DoNotOptimize(order.data());
        }
    state.counters["rays_per_second"] =
        benchmark::Counter(double(rays.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
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
BENCHMARK(bvhQuerySorted)
    ->ArgNames({"triangles", "batch"})
    ->ArgsProduct({{100000, 1000000}, {4096, 16384, 65536, 262144, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(coherentOrder)->ArgName("batch")->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(exhaustiveQuery)->ArgName("triangles")->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
