#include "render/preview_options.h"

#include <gtest/gtest.h>

namespace
{
struct SizeCase
{
    const char *text;
    bool ok;
    int width;
    int height;
};

class PreviewSize : public testing::TestWithParam<SizeCase>
{};

TEST_P(PreviewSize, ParsesOrRefuses)
{
    const SizeCase &c = GetParam();
    int w = -1, h = -1;
    std::string error;
    EXPECT_EQ(parsePreviewSize(c.text, w, h, error), c.ok) << c.text;
    if (c.ok)
    {
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
    else
    {
        EXPECT_EQ(w, -1) << "outputs must stay unchanged on failure";
        EXPECT_EQ(h, -1);
        EXPECT_NE(error.find(c.text), std::string::npos) << "the message names the text: " << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewSize,
    testing::Values(SizeCase{"1280x720", true, 1280, 720}, SizeCase{"16X16", true, 16, 16},
                    SizeCase{"16384x4096", true, 16384, 4096}, SizeCase{"0640x0360", true, 640, 360},
                    SizeCase{"15x720", false, 0, 0}, SizeCase{"720x15", false, 0, 0}, SizeCase{"16385x16", false, 0, 0},
                    SizeCase{"16384x4097", false, 0, 0}, SizeCase{"99999999999999999999x100", false, 0, 0},
                    SizeCase{"", false, 0, 0}, SizeCase{"1280", false, 0, 0}, SizeCase{"x720", false, 0, 0},
                    SizeCase{"1280x", false, 0, 0}, SizeCase{"-16x16", false, 0, 0}, SizeCase{"+16x16", false, 0, 0},
                    SizeCase{" 16x16", false, 0, 0}, SizeCase{"16x16 ", false, 0, 0}, SizeCase{"1e3x720", false, 0, 0},
                    SizeCase{"16x16x16", false, 0, 0}, SizeCase{"16*16", false, 0, 0}));

TEST(PreviewSize, LimitsAreCheckedWithoutParsing)
{
    std::string error;
    EXPECT_TRUE(checkPreviewSize(8192, 8192, error));
    EXPECT_FALSE(checkPreviewSize(8192, 8193, error));
    EXPECT_NE(error.find("pixels in all"), std::string::npos) << error;
    EXPECT_FALSE(checkPreviewSize(-1, 100, error));
}

TEST(PreviewView, ParsesTheFourNamesInEitherCase)
{
    const struct
    {
        const char *text;
        PreviewView view;
    } cases[] = {{"x", PreviewView::X},
                 {"Y", PreviewView::Y},
                 {"z", PreviewView::Z},
                 {"ISO", PreviewView::Iso},
                 {"iso", PreviewView::Iso}};
    for (const auto &c : cases)
    {
        PreviewView view = c.view == PreviewView::X ? PreviewView::Iso : PreviewView::X;
        std::string error;
        EXPECT_TRUE(parsePreviewView(c.text, view, error)) << c.text;
        EXPECT_EQ(view, c.view) << c.text;
    }
}

TEST(PreviewView, RefusesOtherText)
{
    for (const char *text : {"", "w", "xy", "-x", "isometric", " x", "3"})
    {
        PreviewView view = PreviewView::Z;
        std::string error;
        EXPECT_FALSE(parsePreviewView(text, view, error)) << text;
        EXPECT_EQ(view, PreviewView::Z);
        EXPECT_FALSE(error.empty());
    }
}
TEST(PointsShown, ParsesTheThreeNamesAndRefusesOthers)
{
    PointsShown shown = PointsShown::All;
    std::string error;
    EXPECT_TRUE(parsePointsShown("NEW", shown, error));
    EXPECT_EQ(shown, PointsShown::New);
    EXPECT_TRUE(parsePointsShown("input", shown, error));
    EXPECT_EQ(shown, PointsShown::Input);
    EXPECT_TRUE(parsePointsShown("All", shown, error));
    EXPECT_EQ(shown, PointsShown::All);
    for (const char *text : {"", "news", "inputs", "both"})
    {
        EXPECT_FALSE(parsePointsShown(text, shown, error)) << text;
        EXPECT_EQ(shown, PointsShown::All);
        EXPECT_NE(error.find("new, input, all"), std::string::npos) << error;
    }
}
}  // namespace
