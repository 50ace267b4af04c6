// Colours for intensities: a perceptual colour map on a logarithmic scale.
//
// Intensities of traced points span many decades (each bounce multiplies by
// a surface factor and a distance fall-off), so colours follow log10 of the
// intensity's length, stretched between the smallest positive and the
// largest length present. The map runs from dark violet through teal to
// yellow with steadily rising lightness, so brighter always means more
// energy and the picture still reads in grey scale. Lengths that are zero or
// not finite have no place on a log scale and get their own grey.
#pragma once

#include "render/canvas.h"

#include <string>

// Colour of zero-length and non-finite intensities, and of every point when
// the geometry has no intensity attribute.
constexpr Rgb kNoIntensityColour{136, 136, 136};

// The colour map at t in [0, 1] (clamped; NaN counts as 0). The map is
// linear between eleven stops at t = 0, 0.1, ..., 1, rounded to bytes.
Rgb colourMap(double t);

// The data range behind the colours and the legend.
struct IntensityScale
{
    bool hasRange = false;  // false when no length is positive and finite
    double minValue = 0.0;  // smallest positive finite length
    double maxValue = 0.0;  // largest finite length
    double logMin = 0.0;    // log10(minValue)
    double logMax = 0.0;    // log10(maxValue)
};

// Accumulates lengths one at a time; zero, negative and non-finite lengths
// do not widen the range.
void includeInScale(IntensityScale &scale, double length);
// Fills logMin and logMax once every length was included.
void finishScale(IntensityScale &scale);

// Position of a length on the scale, 0 at minValue and 1 at maxValue; 1 when
// the range holds a single value. Only for positive finite lengths.
double scalePosition(const IntensityScale &scale, double length);

// Colour of a length: the colour map at its scale position, or
// kNoIntensityColour when the length is zero or not finite, or the scale has
// no range.
Rgb intensityColour(const IntensityScale &scale, double length);

// A legend label: two significant digits in exponent form, "1.2e-05",
// independent of the process locale.
std::string formatScaleValue(double value);
