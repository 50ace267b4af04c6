// A 5x7 pixel font for the numbers and words of the legend.
//
// The picture must come out byte for byte the same on every machine, so its
// text cannot depend on installed fonts or a font rasteriser: each glyph is
// seven rows of five bits, drawn as solid squares of scale x scale pixels.
// The font holds digits, upper-case letters, the lower-case 'e' of exponent
// notation and a few signs; other lower-case letters are drawn upper-case
// and unknown characters as an empty box.
#pragma once

#include "render/canvas.h"

#include <string>

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // one blank column between characters

// True when pixel (column, row) of the character's glyph is set.
bool glyphPixel(char c, int column, int row);

// Width in pixels of the text drawn at a scale: no blank column after the
// last character; 0 for empty text.
int textWidth(const std::string &text, int scale);

// Draws text with its top-left corner at (x, y); pixels off the canvas are
// skipped.
void drawText(Canvas &canvas, int x, int y, const std::string &text, int scale, Rgb colour);
