// Building the hierarchy over the room scene: time, memory per triangle, and
// how many triangles had to stay outside it.
#include "bench/bench_scenes.h"

#include <UT/UT_ParallelUtil.h>
#include <benchmark/benchmark.h>

namespace
{

void bvhBuild(benchmark::State &state)
{
    const std::vector<Triangle> &triangles = roomTriangles(size_t(state.range(0)));
    const int threads = benchThreads(state.range(1));
    const UT_ThreadLimit limit(threads);
    ColliderBvh bvh;
    for (auto _ : state)
    {
        state.PauseTiming();
        std::vector<Triangle> copy = triangles;  // build consumes its input
        state.ResumeTiming();
        bvh.build(std::move(copy));
    }
    state.counters["triangles"] = double(triangles.size());
    state.counters["threads"] = threads;
    state.counters["bytes_per_triangle"] = double(bvh.memoryBytes()) / double(triangles.size());
    state.counters["always_tested"] = double(bvh.alwaysTestedCount());
}

}  // namespace

BENCHMARK(bvhBuild)
    ->ArgNames({"triangles", "threads"})
    ->ArgsProduct({{1000, 10000, 100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
