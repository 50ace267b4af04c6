// The legend panel: the colour bar with the data's range printed at its
// ends, and a key for the grey of missing intensities and the two point
// marks.
#pragma once

#include "render/colour_scale.h"
#include "render/point_markers.h"
#include "render/preview_layout.h"

// What the legend shows besides the scale.
struct LegendContent
{
    IntensityScale scale;
    bool showNoIntensity = false;  // some point drew in the grey of kNoIntensityColour
    bool showMarkers = false;      // input points were marked apart from appended ones
};

// Text of the labels at the bar's top and bottom ("1.0e+00", "1.2e-05");
// "NONE" at the top and nothing at the bottom when the scale has no range.
std::string legendMaxLabel(const IntensityScale &scale);
std::string legendMinLabel(const IntensityScale &scale);

// Draws the panel; does nothing when the layout has no legend.
void drawLegend(Canvas &canvas, const PreviewLayout &layout, const LegendContent &content,
                const MarkerStamp &appendedMark, const MarkerStamp &inputMark);
