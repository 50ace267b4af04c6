#include "render/preview_layout.h"

#include "render/bitmap_font.h"

#include <algorithm>

PreviewLayout computeLayout(int width, int height)
{
    PreviewLayout layout;
    const int shortSide = std::min(width, height);
    const int s = std::max(1, shortSide / 360);
    layout.fontScale = s;
    layout.markerRadius = std::max(1, (shortSide + 180) / 360);

    // The panel holds a 4s gap, a 6s wide bar, a 4s gap and labels of up to
    // seven characters ("1.2e-05"), with room to spare for the title.
    const int panelWidth = 64 * s;
    const int textHeight = kGlyphHeight * s;
    layout.hasLegend = width >= 3 * panelWidth && height >= 10 * textHeight;
    const int sceneWidth = layout.hasLegend ? width - panelWidth : width;
    layout.scene = PixelRect{0, 0, sceneWidth, height};
    if (layout.hasLegend)
    {
        layout.legend = PixelRect{sceneWidth, 0, panelWidth, height};
        layout.bar = PixelRect{sceneWidth + 4 * s, height / 4, 6 * s, height / 2};
    }
    layout.margin = std::max(layout.markerRadius + 3, std::min(sceneWidth, height) / 25);
    return layout;
}
