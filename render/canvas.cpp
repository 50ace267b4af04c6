#include "render/canvas.h"

#include <algorithm>
#include <limits>

void fillRect(Canvas &canvas, const PixelRect &rect, Rgb colour)
{
    // 64-bit ends: x + width may exceed int for rectangles far off the canvas.
    const int64_t x0 = std::max<int64_t>(rect.x, 0);
    const int64_t y0 = std::max<int64_t>(rect.y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(rect.x) + rect.width, canvas.width);
    const int64_t y1 = std::min<int64_t>(int64_t(rect.y) + rect.height, canvas.height);
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x)
            setPixel(canvas, int(x), int(y), colour);
}

void clearDepth(Canvas &canvas)
{
    std::fill(canvas.depth, canvas.depth + size_t(canvas.width) * size_t(canvas.height),
              std::numeric_limits<float>::infinity());
}
