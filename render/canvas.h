// The picture being drawn: tightly packed 8-bit RGB rows, top row first, and
// a depth value per pixel for hidden-surface removal.
//
// A canvas only points at buffers that its caller owns, so the renderer can
// draw straight into the caller's vector without a copy.
#pragma once

#include <cstddef>
#include <cstdint>

struct Rgb
{
    uint8_t r;
    uint8_t g;
    uint8_t b;

    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb &o) const { return !(*this == o); }
};

// A rectangle of pixels: columns x .. x + width - 1, rows y .. y + height - 1.
struct PixelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Canvas
{
    int width = 0;
    int height = 0;
    uint8_t *rgb = nullptr;  // width * height * 3 bytes
    float *depth = nullptr;  // width * height values; smaller is nearer
};

inline void setPixel(Canvas &canvas, int x, int y, Rgb colour)
{
    uint8_t *p = canvas.rgb + (size_t(y) * size_t(canvas.width) + size_t(x)) * 3;
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

inline Rgb getPixel(const Canvas &canvas, int x, int y)
{
    const uint8_t *p = canvas.rgb + (size_t(y) * size_t(canvas.width) + size_t(x)) * 3;
    return Rgb{p[0], p[1], p[2]};
}

// Fills the part of the rectangle that lies on the canvas.
void fillRect(Canvas &canvas, const PixelRect &rect, Rgb colour);
// Sets every depth value to +infinity (nothing drawn yet).
void clearDepth(Canvas &canvas);
