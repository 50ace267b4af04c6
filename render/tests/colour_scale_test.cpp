#include "render/colour_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
TEST(ColourMap, HitsItsStopsAndClampsOutside)
{
    EXPECT_EQ(colourMap(0.0), (Rgb{68, 1, 84}));
    EXPECT_EQ(colourMap(0.5), (Rgb{33, 144, 140}));
    EXPECT_EQ(colourMap(1.0), (Rgb{253, 231, 37}));
    EXPECT_EQ(colourMap(-3.0), colourMap(0.0));
    EXPECT_EQ(colourMap(7.0), colourMap(1.0));
    EXPECT_EQ(colourMap(std::nan("")), colourMap(0.0));
    // Half-way between the stops at 0.9 and 1.0, rounded half up.
    EXPECT_EQ(colourMap(0.95), (Rgb{220, 227, 38}));
}

TEST(ColourMap, LightnessRisesAlongTheMap)
{
    // Brighter must mean more energy: the luma never falls along the map.
    double previous = -1.0;
    for (int i = 0; i <= 100; ++i)
    {
        const Rgb c = colourMap(i / 100.0);
        const double luma = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
        EXPECT_GE(luma, previous - 0.5) << "at t = " << i / 100.0;
        previous = luma;
    }
}

TEST(IntensityScale, SpansPositiveFiniteLengthsOnly)
{
    IntensityScale scale;
    const double inf = std::numeric_limits<double>::infinity();
    for (double length : {0.0, 4e-3, -1.0, std::nan(""), inf, 2.5e2, 1e-5, 0.0})
        includeInScale(scale, length);
    finishScale(scale);
    ASSERT_TRUE(scale.hasRange);
    EXPECT_EQ(scale.minValue, 1e-5);
    EXPECT_EQ(scale.maxValue, 2.5e2);
    EXPECT_EQ(scalePosition(scale, 1e-5), 0.0);
    EXPECT_EQ(scalePosition(scale, 2.5e2), 1.0);
    EXPECT_EQ(intensityColour(scale, 0.0), kNoIntensityColour);
    EXPECT_EQ(intensityColour(scale, inf), kNoIntensityColour);
    EXPECT_EQ(intensityColour(scale, std::nan("")), kNoIntensityColour);
}

TEST(IntensityScale, IsLogarithmic)
{
    IntensityScale scale;
    includeInScale(scale, 1.0);
    includeInScale(scale, 100.0);
    finishScale(scale);
    EXPECT_EQ(scalePosition(scale, 10.0), 0.5);
    EXPECT_EQ(intensityColour(scale, 10.0), colourMap(0.5));
}

TEST(IntensityScale, EmptyOrSingleValue)
{
    IntensityScale empty;
    includeInScale(empty, 0.0);
    finishScale(empty);
    EXPECT_FALSE(empty.hasRange);
    EXPECT_EQ(intensityColour(empty, 1.0), kNoIntensityColour);

    IntensityScale single;
    includeInScale(single, 0.3);
    includeInScale(single, 0.3);
    finishScale(single);
    ASSERT_TRUE(single.hasRange);
    EXPECT_EQ(intensityColour(single, 0.3), colourMap(1.0));
}

TEST(ScaleLabel, TwoSignificantDigitsInExponentForm)
{
    EXPECT_EQ(formatScaleValue(1.234e-5), "1.2e-05");
    EXPECT_EQ(formatScaleValue(1.0), "1.0e+00");
    EXPECT_EQ(formatScaleValue(99.96), "1.0e+02");
    EXPECT_EQ(formatScaleValue(3.4e38), "3.4e+38");
}
}  // namespace
