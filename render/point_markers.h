// The marks that stand for points: small discs for points the tracer
// appended, larger squares for the original input points.
//
// Marks have a one-pixel outline in a contrasting colour, so a dot stays
// visible on a light wall, on the dark background and among dots of its own
// colour; only dense clouds, where outlines would drown the colours, use
// plain dots. A mark is precomputed once as a list of pixel offsets (a stamp)
// and then copied for every point.
#pragma once

#include "render/canvas.h"

#include <cstdint>
#include <vector>

struct MarkerStamp
{
    struct Offset
    {
        int16_t dx;
        int16_t dy;
        bool outline;
    };
    std::vector<Offset> pixels;  // outline pixels first, then the fill
    int reach = 0;               // largest |dx| or |dy|
};

// A disc of the given radius (pixels with dx^2 + dy^2 <= r^2 + r, which
// rounds small discs nicely), ringed by a one-pixel outline when asked.
MarkerStamp discStamp(int radius, bool outlined = true);
// A filled square of half-width radius + 1 framed by a one-pixel outline;
// without the outline, a plain square of half-width radius.
MarkerStamp squareStamp(int radius, bool outlined = true);

// Stamps the marker centred on pixel (x, y); pixels outside `clip` are
// skipped.
void drawMarker(Canvas &canvas, const PixelRect &clip, int x, int y, const MarkerStamp &stamp, Rgb fill, Rgb outline);
