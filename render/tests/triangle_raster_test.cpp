#include "render/triangle_raster.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kBlack{0, 0, 0};

class TriangleRaster : public testing::Test
{
protected:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 10;
    TriangleRaster() : rgb(kWidth * kHeight * 3, 0), depth(kWidth * kHeight)
    {
        canvas = Canvas{kWidth, kHeight, rgb.data(), depth.data()};
        clearDepth(canvas);
    }
    int count(Rgb colour) const
    {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                n += getPixel(canvas, x, y) == colour;
        return n;
    }

    std::vector<uint8_t> rgb;
    std::vector<float> depth;
    Canvas canvas;
    const PixelRect whole{0, 0, kWidth, kHeight};
};

TEST_F(TriangleRaster, CoversThePixelCentresInsideOrOnTheBorder)
{
    // Right triangle with legs of 4 pixels: centres (x + 0.5, y + 0.5) with
    // x + y <= 3 lie inside or on the hypotenuse x + y + 1 = 4: 10 pixels.
    fillTriangle(canvas, whole, {0.0, 0.0, 1.0f}, {4.0, 0.0, 1.0f}, {0.0, 4.0, 1.0f}, kRed);
    EXPECT_EQ(count(kRed), 10);
    EXPECT_EQ(getPixel(canvas, 3, 0), kRed);
    EXPECT_EQ(getPixel(canvas, 0, 3), kRed);
    EXPECT_EQ(getPixel(canvas, 2, 2), kBlack);
    EXPECT_EQ(depth[0], 1.0f);
    // The other winding covers the same pixels.
    fillTriangle(canvas, whole, {0.0, 0.0, 0.0f}, {0.0, 4.0, 0.0f}, {4.0, 0.0, 0.0f}, kBlue);
    EXPECT_EQ(count(kBlue), 10);
}

TEST_F(TriangleRaster, InterpolatesDepthAndKeepsTheNearer)
{
    // A far square-on triangle, then one sloping from depth 0 at x = 0 to
    // depth 12 at x = 12: it wins only where it is nearer than 6.
    fillTriangle(canvas, whole, {0.0, 0.0, 6.0f}, {24.0, 0.0, 6.0f}, {0.0, 20.0, 6.0f}, kBlue);
    fillTriangle(canvas, whole, {0.0, 0.0, 0.0f}, {12.0, 0.0, 12.0f}, {0.0, 20.0, 0.0f}, kRed);
    EXPECT_EQ(getPixel(canvas, 5, 0), kRed);   // depth 5.5
    EXPECT_EQ(getPixel(canvas, 6, 0), kBlue);  // depth 6.5
    EXPECT_EQ(depth[5], 5.5f);
    EXPECT_EQ(depth[6], 6.0f);
}

TEST_F(TriangleRaster, AtEqualDepthTheFirstDrawnStays)
{
    fillTriangle(canvas, whole, {0.0, 0.0, 2.0f}, {12.0, 0.0, 2.0f}, {0.0, 10.0, 2.0f}, kBlue);
    fillTriangle(canvas, whole, {0.0, 0.0, 2.0f}, {12.0, 0.0, 2.0f}, {0.0, 10.0, 2.0f}, kRed);
    EXPECT_EQ(count(kRed), 0);
}

TEST_F(TriangleRaster, StaysInsideTheClipAndSkipsDegenerates)
{
    const PixelRect clip{2, 2, 3, 3};
    fillTriangle(canvas, clip, {-50.0, -50.0, 0.0f}, {60.0, -50.0, 0.0f}, {-50.0, 60.0, 0.0f}, kRed);
    EXPECT_EQ(count(kRed), 9);
    EXPECT_EQ(getPixel(canvas, 1, 2), kBlack);
    EXPECT_EQ(getPixel(canvas, 5, 4), kBlack);

    // Zero area on screen (a triangle seen edge on) draws nothing.
    fillTriangle(canvas, whole, {0.0, 8.0, 0.0f}, {5.0, 8.0, 0.0f}, {11.0, 8.0, 0.0f}, kBlue);
    EXPECT_EQ(count(kBlue), 0);
}
}  // namespace
