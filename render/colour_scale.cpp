#include "render/colour_scale.h"

#include <cmath>
#include <cstdio>

namespace
{
// Eleven evenly spaced stops of a perceptually uniform dark-violet to yellow
// map; linear interpolation between them stays within a unit or two of the
// continuous map.
constexpr Rgb kStops[11] = {{68, 1, 84},    {72, 37, 118},  {65, 68, 135},  {53, 96, 141},
                            {42, 120, 142}, {33, 144, 140}, {34, 168, 132}, {67, 191, 113},
                            {122, 209, 81}, {187, 223, 39}, {253, 231, 37}};

uint8_t mix(uint8_t a, uint8_t b, double f)
{
    return uint8_t(std::floor(double(a) + (double(b) - double(a)) * f + 0.5));
}
}  // namespace

Rgb colourMap(double t)
{
    if (!(t > 0.0))
        return kStops[0];
    if (t >= 1.0)
        return kStops[10];
    const double s = t * 10.0;
    const int i = int(s);
    const double f = s - double(i);
    return Rgb{mix(kStops[i].r, kStops[i + 1].r, f), mix(kStops[i].g, kStops[i + 1].g, f),
               mix(kStops[i].b, kStops[i + 1].b, f)};
}

void includeInScale(IntensityScale &scale, double length)
{
    if (!(length > 0.0) || !std::isfinite(length))
        return;
    if (!scale.hasRange)
    {
        scale.hasRange = true;
        scale.minValue = length;
        scale.maxValue = length;
        return;
    }
    if (length < scale.minValue)
        scale.minValue = length;
    if (length > scale.maxValue)
        scale.maxValue = length;
}

void finishScale(IntensityScale &scale)
{
    if (!scale.hasRange)
        return;
    scale.logMin = std::log10(scale.minValue);
    scale.logMax = std::log10(scale.maxValue);
}

double scalePosition(const IntensityScale &scale, double length)
{
    const double span = scale.logMax - scale.logMin;
    if (!(span > 0.0))
        return 1.0;
    const double t = (std::log10(length) - scale.logMin) / span;
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}

Rgb intensityColour(const IntensityScale &scale, double length)
{
    if (!scale.hasRange || !(length > 0.0) || !std::isfinite(length))
        return kNoIntensityColour;
    return colourMap(scalePosition(scale, length));
}

std::string formatScaleValue(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1e", value);
    std::string label(text);
    // A locale with a decimal comma must not change the picture.
    for (char &c : label)
        if (c == ',')
            c = '.';
    return label;
}
