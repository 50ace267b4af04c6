#include "render/point_markers.h"

#include <algorithm>
#include <cstdlib>

MarkerStamp discStamp(int radius, bool outlined)
{
    MarkerStamp stamp;
    const int outer = outlined ? radius + 1 : radius;
    stamp.reach = outer;
    for (int pass = 0; pass < 2; ++pass)
        for (int dy = -outer; dy <= outer; ++dy)
            for (int dx = -outer; dx <= outer; ++dx)
            {
                const int d2 = dx * dx + dy * dy;
                const bool fill = d2 <= radius * radius + radius;
                const bool ring = outlined && !fill && d2 <= outer * outer + outer;
                if ((pass == 0 && ring) || (pass == 1 && fill))
                    stamp.pixels.push_back({int16_t(dx), int16_t(dy), pass == 0});
            }
    return stamp;
}

MarkerStamp squareStamp(int radius, bool outlined)
{
    MarkerStamp stamp;
    const int inner = outlined ? radius + 1 : radius;
    const int outer = outlined ? radius + 2 : radius;
    stamp.reach = outer;
    for (int pass = 0; pass < 2; ++pass)
        for (int dy = -outer; dy <= outer; ++dy)
            for (int dx = -outer; dx <= outer; ++dx)
            {
                const bool fill = std::max(std::abs(dx), std::abs(dy)) <= inner;
                if ((pass == 0 && !fill) || (pass == 1 && fill))
                    stamp.pixels.push_back({int16_t(dx), int16_t(dy), pass == 0});
            }
    return stamp;
}

void drawMarker(Canvas &canvas, const PixelRect &clip, int x, int y, const MarkerStamp &stamp, Rgb fill, Rgb outline)
{
    const bool inside = x - stamp.reach >= clip.x && x + stamp.reach < clip.x + clip.width &&
                        y - stamp.reach >= clip.y && y + stamp.reach < clip.y + clip.height;
    for (const MarkerStamp::Offset &o : stamp.pixels)
    {
        const int px = x + o.dx;
        const int py = y + o.dy;
        if (!inside && (px < clip.x || px >= clip.x + clip.width || py < clip.y || py >= clip.y + clip.height))
            continue;
        setPixel(canvas, px, py, o.outline ? outline : fill);
    }
}
