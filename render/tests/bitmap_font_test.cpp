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
    EXPECT_EQ(textWidth("1.0e+00", 2), (7 * 6 - 1) * 2);
}
}  // namespace
