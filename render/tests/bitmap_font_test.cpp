#include "render/bitmap_font.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{
std::vector<bool> glyphBits(char c)
{
    std::vector<bool> bits;
    for (int row = 0; row < kGlyphHeight; ++row)
        for (int column = 0; column < kGlyphWidth; ++column)
            bits.push_back(glyphPixel(c, column, row));
    return bits;
}

TEST(BitmapFont, EveryCharacterTheLegendUsesHasItsOwnGlyph)
{
    // A character missing from the table would print as the empty box, and
    // two characters sharing rows would make labels ambiguous.
    const std::string used = "0123456789.+-e:/()ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::vector<bool> unknown = glyphBits('~');
    std::set<std::vector<bool>> seen;
    for (char c : used)
    {
        const std::vector<bool> bits = glyphBits(c);
        EXPECT_NE(bits, unknown) << "no glyph for '" << c << "'";
        EXPECT_TRUE(seen.insert(bits).second) << "glyph of '" << c << "' repeats another";
    }
    EXPECT_EQ(glyphBits('a'), glyphBits('A')) << "lower case draws as upper case";
    EXPECT_NE(glyphBits('e'), glyphBits('E')) << "but the exponent's e keeps its own glyph";
    EXPECT_FALSE(glyphPixel('8', -1, 0));
    EXPECT_FALSE(glyphPixel('8', 0, kGlyphHeight));
}

TEST(BitmapFont, TextWidthHasNoTrailingGap)
{
    EXPECT_EQ(textWidth("", 3), 0);
    EXPECT_EQ(textWidth("1", 1), 5);
    EXPECT_EQ(textWidth("1.0e+00", 2), (7 * 6 - 1) * 2);
}

TEST(BitmapFont, DrawsScaledGlyphsAndClipsAtTheEdges)
{
    const int width = 20, height = 16;
    std::vector<uint8_t> rgb(size_t(width) * height * 3, 0);
    Canvas canvas{width, height, rgb.data(), nullptr};
    const Rgb ink{200, 100, 50};
    // '1' has its top-row pixel in column 2: at scale 2 and origin (3, 1)
    // that is pixels x 7..8, y 1..2.
    drawText(canvas, 3, 1, "1", 2, ink);
    EXPECT_EQ(getPixel(canvas, 7, 1), ink);
    EXPECT_EQ(getPixel(canvas, 8, 2), ink);
    EXPECT_EQ(getPixel(canvas, 6, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(getPixel(canvas, 9, 1), (Rgb{0, 0, 0}));
    // Text running off every side must only lose its outside pixels.
    drawText(canvas, -7, -5, "8888", 3, ink);
    drawText(canvas, 15, 12, "WW", 2, ink);
}
} // namespace
