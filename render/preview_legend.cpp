#include "render/preview_legend.h"

#include "render/bitmap_font.h"
#include "render/preview_palette.h"

std::string legendMaxLabel(const IntensityScale &scale)
{
    return scale.hasRange ? formatScaleValue(scale.maxValue) : std::string("NONE");
}

std::string legendMinLabel(const IntensityScale &scale)
{
    return scale.hasRange ? formatScaleValue(scale.minValue) : std::string();
}

void drawLegend(Canvas &canvas, const PreviewLayout &layout, const LegendContent &content,
                const MarkerStamp &appendedMark, const MarkerStamp &inputMark)
{
    if (!layout.hasLegend)
        return;
    const int s = layout.fontScale;
    const PixelRect &bar = layout.bar;
    const int textX = bar.x + bar.width + 4 * s;

    drawText(canvas, layout.legend.x + 4 * s, bar.y - 14 * s, "INTENSITY", s, kTextColour);

    // The top row is the largest value, the bottom row the smallest.
    for (int row = 0; row < bar.height; ++row)
    {
        const double t = bar.height > 1 ? double(bar.height - 1 - row) / double(bar.height - 1) : 1.0;
        const Rgb colour = content.scale.hasRange ? colourMap(t) : kNoIntensityColour;
        fillRect(canvas, PixelRect{bar.x, bar.y + row, bar.width, 1}, colour);
    }
    // Labels are centred on the bar's end rows.
    drawText(canvas, textX, bar.y - 3 * s, legendMaxLabel(content.scale), s, kTextColour);
    drawText(canvas, textX, bar.y + bar.height - 4 * s, legendMinLabel(content.scale), s, kTextColour);

    // Key lines below the bar, as many as fit.
    const int lineHeight = 10 * s;
    int y = bar.y + bar.height + 8 * s;
    const int markX = bar.x + bar.width / 2;
    const auto fits = [&]() { return y + kGlyphHeight * s <= canvas.height; };
    if (content.showNoIntensity && fits())
    {
        fillRect(canvas, PixelRect{bar.x, y, bar.width, kGlyphHeight * s}, kNoIntensityColour);
        drawText(canvas, textX, y, "ZERO/NAN", s, kTextColour);
        y += lineHeight;
    }
    const PixelRect whole{0, 0, canvas.width, canvas.height};
    if (content.showMarkers && fits())
    {
        drawMarker(canvas, whole, markX, y + kGlyphHeight * s / 2, inputMark, kKeyFill, kInputOutline);
        drawText(canvas, textX, y, "INPUT", s, kTextColour);
        y += lineHeight;
    }
    if (content.showMarkers && fits())
    {
        drawMarker(canvas, whole, markX, y + kGlyphHeight * s / 2, appendedMark, kKeyFill, kAppendedOutline);
        drawText(canvas, textX, y, "NEW", s, kTextColour);
    }
}
