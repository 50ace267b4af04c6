#include "render/preview.h"

#include "render/bitmap_font.h"
#include "render/colour_scale.h"
#include "render/preview_layout.h"
#include "render/preview_palette.h"
#include "render/tests/test_scenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{
// A triangle facing along z in the Z view: 0.4 of the shade from facing the
// camera squarely, 0.6 from the light at (0.3, 1, 0.55) / 1.18004.
constexpr Rgb kWallFront{189, 189, 189};     // 80 + 160 * 0.67974
constexpr Rgb kWallBack{64, 64, 64};         // 40 + 36 * 0.67974
constexpr Rgb kWallFrontFar{123, 123, 123};  // kWallFront darkened by 35% at the far end of the scene
constexpr Rgb kViridisLow{68, 1, 84};
constexpr Rgb kViridisMid{33, 144, 140};
constexpr Rgb kViridisHigh{253, 231, 37};

PreviewOptions options(int width, int height, PreviewView view)
{
    PreviewOptions o;
    o.width = width;
    o.height = height;
    o.view = view;
    return o;
}

// Three points per view, placed so that on screen B is 2 units right of and
// 1 unit above A, with C half-way. In a 100x100 picture (too small for a
// legend) the margin is 4 pixels, so 92 pixels hold the 2 x 1 units: 46
// pixels per unit, A at (50 - 46, 50 + 23) = (4, 73), C at (50, 50), B at
// (96, 27). Intensities 1, 10 and 100 sit at 0, 1/2 and 1 of the log scale.
struct ViewCase
{
    PreviewView view;
    TestPoint b;
    TestPoint c;
};

class KnownPixels : public testing::TestWithParam<ViewCase>
{};

TEST_P(KnownPixels, PointsLandOnTheirPixelsInTheirColours)
{
    const ViewCase &v = GetParam();
    const GU_Detail points = makePoints({{0, 0, 0, 1.0f}, v.b, v.c});
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, nullptr, nullptr, options(100, 100, v.view), rgb);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(rgb.size(), 100u * 100u * 3u);
    EXPECT_EQ(pixelAt(rgb, 100, 4, 73), kViridisLow);
    EXPECT_EQ(pixelAt(rgb, 100, 50, 50), kViridisMid);
    EXPECT_EQ(pixelAt(rgb, 100, 96, 27), kViridisHigh);
    // Disc of radius 1 with its dark outline at distance 2; beyond it the
    // background.
    EXPECT_EQ(pixelAt(rgb, 100, 97, 28), kViridisHigh);
    EXPECT_EQ(pixelAt(rgb, 100, 98, 27), kAppendedOutline);
    EXPECT_EQ(pixelAt(rgb, 100, 99, 27), kBackgroundColour);
    EXPECT_EQ(pixelAt(rgb, 100, 0, 0), kBackgroundColour);
    EXPECT_EQ(result.stats.pointsDrawn, 3);
    EXPECT_FALSE(result.stats.hasLegend);
}

INSTANTIATE_TEST_SUITE_P(AxisViews, KnownPixels,
                         testing::Values(ViewCase{PreviewView::X, {0, 1, -2, 100.0f}, {0, 0.5f, -1, 10.0f}},
                                         ViewCase{PreviewView::Y, {2, 0, -1, 100.0f}, {1, 0, -0.5f, 10.0f}},
                                         ViewCase{PreviewView::Z, {2, 1, 0, 100.0f}, {1, 0.5f, 0, -10.0f}}));

TEST(Preview, IsoShowsUpAsUp)
{
    const GU_Detail points = makePoints({{0, 0, 0, 1.0f}, {0, 1, 0, 1.0f}});
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(points, nullptr, nullptr, options(100, 100, PreviewView::Iso), rgb).ok);
    // A vertical segment stays vertical and fills the height: its ends fall
    // on rows 4 and 96 of the centre column (give or take rounding, which
    // the marks' radius of 1 absorbs).
    EXPECT_EQ(pixelAt(rgb, 100, 50, 4), colourMap(1.0));
    EXPECT_EQ(pixelAt(rgb, 100, 50, 95), colourMap(1.0));
}

// A triangle covering the picture's lower-left half in the Z view; with
// corners in this order it is seen from its back (its normal is +z, the
// camera looks along -z).
const TestTriangle kFacingAway = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
const TestTriangle kFacingCamera = {{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}};

TestTriangle shifted(TestTriangle t, float dz)
{
    for (auto &corner : t)
        corner[2] += dz;
    return t;
}

// Renders in the Z view at 100x100 and returns pixel (20, 70), inside the
// triangles above.
Rgb renderOnePixel(const GU_Detail &points, const GU_Detail &collider, PreviewStats *stats = nullptr)
{
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, &collider, nullptr, options(100, 100, PreviewView::Z), rgb);
    EXPECT_TRUE(result.ok) << result.message;
    if (stats)
        *stats = result.stats;
    return rgb.empty() ? Rgb{0, 0, 0} : pixelAt(rgb, 100, 20, 70);
}

TEST(Preview, BackFacesAreDimmerThanFrontFaces)
{
    const GU_Detail none = makePoints({});
    PreviewStats stats;
    EXPECT_EQ(renderOnePixel(none, makeTriangles({kFacingCamera}), &stats), kWallFront);
    EXPECT_EQ(stats.trianglesFront, 1);
    EXPECT_EQ(renderOnePixel(none, makeTriangles({kFacingAway}), &stats), kWallBack);
    EXPECT_EQ(stats.trianglesBack, 1);
    EXPECT_NE(kWallBack, kBackgroundColour) << "a back face still shows";
}

TEST(Preview, FrontFacesCoverBackFacesAtAnyDepth)
{
    // The back face is nearer the camera, as the near wall of a room is.
    const GU_Detail none = makePoints({});
    const GU_Detail room = makeTriangles({shifted(kFacingAway, 1.0f), kFacingCamera});
    EXPECT_EQ(renderOnePixel(none, room), kWallFrontFar);
}

TEST(Preview, NearerFrontFacesAreBrighter)
{
    // A small triangle half a unit in front of the big one, both facing the
    // camera: equal shading, told apart by depth.
    const GU_Detail none = makePoints({});
    const TestTriangle small = {{{0, 0, 0.5f}, {0, 0.5f, 0.5f}, {0.5f, 0, 0.5f}}};
    const GU_Detail collider = makeTriangles({kFacingCamera, small});
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(none, &collider, nullptr, options(100, 100, PreviewView::Z), rgb).ok);
    EXPECT_EQ(pixelAt(rgb, 100, 10, 90), kWallFront);
    EXPECT_EQ(pixelAt(rgb, 100, 40, 60), kWallFrontFar);
}

TEST(Preview, OnlyNearerFrontFacesHidePoints)
{
    // A point behind the triangle's plane (z = -1) at the probed pixel's
    // position, and one lying on the plane.
    const float u = (20.5f - 50.0f) / 92.0f + 0.5f, v = 0.5f - (70.5f - 50.0f) / 92.0f;
    const GU_Detail points = makePoints({{u, v, -1.0f, 2.0f}, {0.1f, 0.1f, 0.0f, 1.0f}});
    PreviewStats stats;
    EXPECT_EQ(renderOnePixel(points, makeTriangles({kFacingCamera}), &stats), kWallFront);
    EXPECT_EQ(stats.pointsHidden, 1);
    EXPECT_EQ(stats.pointsDrawn, 1) << "a point on a wall stays visible";
    EXPECT_EQ(renderOnePixel(points, makeTriangles({kFacingAway}), &stats), kViridisHigh);
    EXPECT_EQ(stats.pointsHidden, 0);
}

TEST(Preview, LegendShowsTheDataRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const GU_Detail points = makePoints({{0, 0, 0, 3e-5f},
                                         {1, 2, 3, 2e-3f},
                                         {2, 1, 0, -0.75f},
                                         {1, 1, 1, 0.0f},
                                         {nan, 0, 0, 1e3f}});  // skipped: its intensity does not count
    const int width = 640, height = 360;
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, nullptr, nullptr, options(width, height, PreviewView::Iso), rgb);
    ASSERT_TRUE(result.ok) << result.message;
    const PreviewStats &s = result.stats;
    ASSERT_TRUE(s.hasLegend);
    EXPECT_EQ(s.intensityMin, double(3e-5f));
    EXPECT_EQ(s.intensityMax, double(0.75f));
    EXPECT_EQ(s.legendMin, "3.0e-05");
    EXPECT_EQ(s.legendMax, "7.5e-01");
    EXPECT_EQ(s.pointsSkipped, 1);
    EXPECT_EQ(s.pointsNoIntensity, 1);

    const PreviewLayout layout = computeLayout(width, height);
    const PixelRect &bar = layout.bar;
    EXPECT_EQ(pixelAt(rgb, width, bar.x, bar.y), kViridisHigh);
    EXPECT_EQ(pixelAt(rgb, width, bar.x + bar.width - 1, bar.y + bar.height - 1), kViridisLow);
    // The labels are printed beside the bar's ends, centred on them.
    const int s1 = layout.fontScale;
    const int textX = bar.x + bar.width + 4 * s1;
    const auto expectText = [&](const std::string &text, int top) {
        for (size_t i = 0; i < text.size(); ++i)
            for (int row = 0; row < kGlyphHeight * s1; ++row)
                for (int col = 0; col < kGlyphWidth * s1; ++col)
                {
                    const int x = textX + int(i) * kGlyphAdvance * s1 + col, y = top + row;
                    const Rgb want = glyphPixel(text[i], col / s1, row / s1) ? kTextColour : kBackgroundColour;
                    ASSERT_EQ(pixelAt(rgb, width, x, y), want) << text << " at " << x << "," << y;
                }
    };
    expectText("7.5e-01", bar.y - 3 * s1);
    expectText("3.0e-05", bar.y + bar.height - 4 * s1);
}

TEST(Preview, NearerPointsCoverFartherOnes)
{
    // Both points on the view axis, the nearer (z = 1, intensity 100) first
    // in point order: drawn in point order the farther would cover it.
    const GU_Detail points = makePoints({{0, 0, 1, 100.0f}, {0, 0, 0, 1.0f}});
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(points, nullptr, nullptr, options(100, 100, PreviewView::Z), rgb).ok);
    EXPECT_EQ(pixelAt(rgb, 100, 50, 50), kViridisHigh);
}

TEST(Preview, WithoutIntensityEveryPointIsGrey)
{
    const GU_Detail points = makePoints({{0, 0, 0, 0}, {1, 0, 0, 0}}, false);
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, nullptr, nullptr, options(100, 100, PreviewView::Z), rgb);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(pixelAt(rgb, 100, 4, 50), kNoIntensityColour);
    EXPECT_EQ(result.stats.pointsNoIntensity, 2);
    EXPECT_FALSE(result.stats.hasIntensityRange);
    EXPECT_EQ(result.stats.legendMax, "NONE");
}

TEST(Preview, InputPointsAreSmallAndBehindAppendedOnes)
{
    // Points 0 and 1 are input points, 2 an appended point at the same
    // place as input point 1. Input points are plain 3x3 squares, drawn
    // first: the appended disc (outline 2 pixels out) covers input point 1.
    const GU_Detail points = makePoints({{0, 0, 0, 1.0f}, {2, 0, 0, 1.0f}, {2, 0, 0, 1.0f}});
    const GU_Detail input = makeInput(2);
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, nullptr, &input, options(100, 100, PreviewView::Z), rgb);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.stats.inputPoints, 2);
    EXPECT_EQ(result.stats.pointsDrawn, 3);
    EXPECT_EQ(pixelAt(rgb, 100, 4 + 1, 50 + 1), colourMap(1.0));
    EXPECT_EQ(pixelAt(rgb, 100, 4 + 2, 50), kBackgroundColour) << "no outline round an input point";
    EXPECT_EQ(pixelAt(rgb, 100, 96 - 2, 50), kAppendedOutline) << "the appended point lies on top";
}

TEST(Preview, PointsShownChooseWhatIsDrawnAndFramed)
{
    // Input point 0 far left, appended point 1 at the right; a triangle
    // between them. Framing covers the shown points and always the collider.
    const GU_Detail points = makePoints({{-10, 0, 0, 1.0f}, {2, 0, 0, 100.0f}});
    const GU_Detail input = makeInput(1);
    const GU_Detail collider = makeTriangles({{{{0, -1, -1}, {0, 1, -1}, {1, 0, -1}}}});
    struct Case
    {
        PointsShown shown;
        int64_t drawn;
        int64_t inputPoints;
        int pointX;  // where the shown point lands (-1: not checked)
    };
    const Case cases[] = {{PointsShown::All, 2, 1, -1}, {PointsShown::New, 1, 0, 96}, {PointsShown::Input, 1, 1, 4}};
    for (const Case &c : cases)
    {
        PreviewOptions look = options(100, 100, PreviewView::Z);
        look.points = c.shown;
        std::vector<uint8_t> rgb;
        const PreviewResult result = renderPreview(points, &collider, &input, look, rgb);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.stats.pointsDrawn, c.drawn) << int(c.shown);
        EXPECT_EQ(result.stats.inputPoints, c.inputPoints) << int(c.shown);
        if (c.pointX >= 0)
        {
            EXPECT_NE(pixelAt(rgb, 100, c.pointX, 50), kBackgroundColour) << int(c.shown);
        }
    }
    // Shown alone, input points keep their framed squares (outline 3 out).
    PreviewOptions look = options(100, 100, PreviewView::Z);
    look.points = PointsShown::Input;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(points, &collider, &input, look, rgb).ok);
    EXPECT_EQ(pixelAt(rgb, 100, 4 - 3, 50), kInputOutline);
}

TEST(Preview, NonFinitePositionsAreSkippedAndCounted)
{
    const float inf = std::numeric_limits<float>::infinity();
    const GU_Detail points = makePoints({{0, 0, 0, 1.0f}, {inf, 5, 5, 1.0f}, {2, 1, 0, 100.0f}});
    const GU_Detail collider = makeTriangles({{{{0, 0, -inf}, {1, 0, 0}, {0, 1, 0}}}});
    std::vector<uint8_t> rgb;
    const PreviewResult result = renderPreview(points, &collider, nullptr, options(100, 100, PreviewView::Z), rgb);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.stats.pointsSkipped, 1);
    EXPECT_EQ(result.stats.trianglesSkipped, 1);
    EXPECT_EQ(pixelAt(rgb, 100, 4, 73), kViridisLow) << "framing ignores what is skipped";
    EXPECT_EQ(pixelAt(rgb, 100, 96, 27), kViridisHigh);
    EXPECT_NE(result.message.find("non-finite"), std::string::npos) << result.message;
}

TEST(Preview, SameInputSameBytes)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-5.0f, 5.0f), energy(-4.0f, 2.0f);
    std::vector<TestPoint> cloud;
    std::vector<TestTriangle> soup;
    for (int i = 0; i < 3000; ++i)
    {
        cloud.push_back({coordinate(random), coordinate(random), coordinate(random), std::pow(10.0f, energy(random))});
        TestTriangle t;
        for (auto &corner : t)
            for (auto &c : corner)
                c = coordinate(random);
        soup.push_back(t);
    }
    const GU_Detail points = makePoints(cloud);
    const GU_Detail collider = makeTriangles(soup);
    const GU_Detail input = makeInput(100);
    // The second buffer starts full of leftovers: every byte must be written.
    std::vector<uint8_t> first, second(320 * 200 * 3, 0xA5);
    ASSERT_TRUE(renderPreview(points, &collider, &input, options(320, 200, PreviewView::Iso), first).ok);
    ASSERT_TRUE(renderPreview(points, &collider, &input, options(320, 200, PreviewView::Iso), second).ok);
    EXPECT_TRUE(first == second);
}

TEST(Preview, RefusesBadSizesAndMissingPositions)
{
    const GU_Detail points = makePoints({{0, 0, 0, 1.0f}});
    std::vector<uint8_t> rgb(12, 1);
    PreviewResult result = renderPreview(points, nullptr, nullptr, options(15, 100, PreviewView::Z), rgb);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(rgb.empty());
    EXPECT_NE(result.message.find("too small"), std::string::npos) << result.message;

    GU_Detail bare;
    bare.appendPointBlock(2);
    EXPECT_FALSE(renderPreview(bare, nullptr, nullptr, options(100, 100, PreviewView::Z), rgb).ok);
    EXPECT_TRUE(renderPreview(points, &bare, nullptr, options(100, 100, PreviewView::Z), rgb).ok)
        << "a collider without primitives is just empty";
}

TEST(Preview, EmptySceneIsBackgroundOnly)
{
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(renderPreview(makePoints({}), nullptr, nullptr, options(64, 32, PreviewView::Iso), rgb).ok);
    for (size_t i = 0; i < rgb.size(); i += 3)
        ASSERT_EQ((Rgb{rgb[i], rgb[i + 1], rgb[i + 2]}), kBackgroundColour) << "at byte " << i;
}
}  // namespace
