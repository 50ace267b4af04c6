// Prints the preview renderer's colour of one point of a result, as
// "r g b": the reference the browser test holds the view page's colours to.
//   view_point_colour RESULT.geo INPUT.geo|- new|input|all POINT
#include "io/geometry_file.h"
#include "render/point_pass.h"
#include "render/preview_geometry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: view_point_colour RESULT.geo INPUT.geo|- new|input|all POINT\n");
        return 2;
    }
    GU_Detail result, input;
    const GeometryReadResult read = readGeometryFile(argv[1], result);
    const bool hasInput = std::string(argv[2]) != "-";
    const GeometryReadResult readInput = hasInput ? readGeometryFile(argv[2], input) : GeometryReadResult{};
    PointsShown shown = PointsShown::All;
    std::string error;
    if (!read || (hasInput && !readInput) || !parsePointsShown(argv[3], shown, error))
    {
        std::fprintf(stderr, "view_point_colour: cannot read the files or the points mode\n");
        return 2;
    }
    PointSamples samples;
    if (!gatherPoints(result, samples, error))
    {
        std::fprintf(stderr, "view_point_colour: %s\n", error.c_str());
        return 2;
    }
    const int64_t count = int64_t(samples.positions.size() / 3);
    const int64_t inputCount = hasInput ? std::min<int64_t>(input.getNumPoints(), count) : 0;
    const int64_t point = std::atoll(argv[4]);
    if (point < 0 || point >= count)
    {
        std::fprintf(stderr, "view_point_colour: no point %lld\n", static_cast<long long>(point));
        return 2;
    }
    const IntensityScale scale = pointScale(samples, shown == PointsShown::New ? inputCount : 0,
                                            shown == PointsShown::Input ? inputCount : count);
    const double length = samples.hasIntensity ? samples.lengths[size_t(point)] : 0.0;
    const Rgb colour = intensityColour(scale, length);
    std::printf("%d %d %d\n", colour.r, colour.g, colour.b);
    return 0;
}
