// Preview rendering: the standard room as the collider and a cloud of
// points on its surfaces, at 1280x720 from the three-quarter view. Scenes
// are built once per size outside the timed loop; the counter is points per
// second (the scenes have as many points as triangles).

#include "bench/room_scene.h"
#include "render/png_file.h"
#include "render/preview.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>

namespace
{
struct RenderScene
{
    GU_Detail points;
    GU_Detail collider;
    GU_Detail input;
};

// n points spread over random triangles of the room, the first 0.1% standing
// for the cook's input; intensities spread log-uniformly over six decades.
std::unique_ptr<RenderScene> buildScene(size_t n)
{
    auto scene = std::make_unique<RenderScene>();
    const RoomScene room = makeRoomScene(n);

    GA_ATINumeric *corners = scene->collider.addFloatTuple3("P", GA_TYPE_POINT);
    scene->collider.appendPointBlock(GA_Size(room.points.size()));
    for (size_t i = 0; i < room.points.size(); ++i)
        corners->getData().array(0).setTupleBytes(GA_Offset(i), room.points[i].data());
    for (const auto &t : room.triangles)
    {
        const GA_Offset c[3] = {t[0], t[1], t[2]};
        scene->collider.appendPolygon(c, 3);
    }

    std::mt19937 rng(3);
    const auto unit = [&]() { return float(rng() >> 8) * 0x1p-24f; };
    GA_ATINumeric *position = scene->points.addFloatTuple3("P", GA_TYPE_POINT);
    GA_ATINumeric *intensity = scene->points.addFloatTuple3("I", GA_TYPE_NORMAL);
    scene->points.appendPointBlock(GA_Size(n));
    for (size_t i = 0; i < n; ++i)
    {
        const auto &t = room.triangles[rng() % room.triangles.size()];
        float a = unit(), b = unit();
        if (a + b > 1.0f)
            a = 1.0f - a, b = 1.0f - b;
        float p[3];
        for (int k = 0; k < 3; ++k)
        {
            const float p0 = room.points[size_t(t[0])][k];
            p[k] = p0 + a * (room.points[size_t(t[1])][k] - p0) + b * (room.points[size_t(t[2])][k] - p0);
        }
        const float energy[3] = {std::pow(10.0f, -6.0f * unit()), 0.0f, 0.0f};
        position->getData().array(0).setTupleBytes(GA_Offset(i), p);
        intensity->getData().array(0).setTupleBytes(GA_Offset(i), energy);
    }
    scene->input.addFloatTuple3("P", GA_TYPE_POINT);
    scene->input.appendPointBlock(GA_Size(std::max<size_t>(1, n / 1000)));
    return scene;
}

const RenderScene &renderScene(size_t n)
{
    static std::map<size_t, std::unique_ptr<RenderScene>> scenes;
    std::unique_ptr<RenderScene> &scene = scenes[n];
    if (!scene)
        scene = buildScene(n);
    return *scene;
}

void BM_RenderPreview(benchmark::State &state)
{
    const size_t n = size_t(state.range(0));
    const RenderScene &scene = renderScene(n);
    const PreviewOptions options;
    std::vector<uint8_t> rgb;
    for (auto _ : state)
    {
        const PreviewResult result = renderPreview(scene.points, &scene.collider, &scene.input, options, rgb);
        if (!result.ok)
            state.SkipWithError(result.message.c_str());
        benchmark::DoNotOptimize(rgb.data());
    }
    state.counters["points/s"] =
        benchmark::Counter(double(n) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderPreview)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_EncodePreviewPng(benchmark::State &state)
{
    const RenderScene &scene = renderScene(size_t(state.range(0)));
    const PreviewOptions options;
    std::vector<uint8_t> rgb;
    renderPreview(scene.points, &scene.collider, &scene.input, options, rgb);
    std::string png, error;
    for (auto _ : state)
    {
        if (!encodePng(rgb, options.width, options.height, png, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["bytes"] = double(png.size());
}
BENCHMARK(BM_EncodePreviewPng)->Arg(1000000)->Unit(benchmark::kMillisecond);
}  // namespace
