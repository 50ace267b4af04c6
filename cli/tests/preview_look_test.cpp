#include "cli/preview_look.h"

#include <gtest/gtest.h>

namespace
{

TEST(PreviewLook, ViewTakesAPageOrACameraName)
{
    const struct
    {
        const char *view;
        const char *camera;
        bool ok;
        const char *page;
        PreviewView seen;
    } cases[] = {
        {"", "", true, "", PreviewView::Iso},
        {"out.html", "", true, "out.html", PreviewView::Iso},
        {"dir/Out.HTM", "x", true, "dir/Out.HTM", PreviewView::X},
        {"y", "", true, "", PreviewView::Y},         // the camera, as before --camera
        {"ISO", "iso", true, "", PreviewView::Iso},  // both, agreeing
        {"", "z", true, "", PreviewView::Z},
        {"x", "y", false, "", PreviewView::Iso},   // both, disagreeing
        {"isp", "", false, "", PreviewView::Iso},  // a mistyped camera is not a file name
        {"view.png", "", false, "", PreviewView::Iso},
        {".html", "", false, "", PreviewView::Iso},  // no name before the extension
    };
    for (const auto &c : cases)
    {
        const std::string problem = checkViewText(c.view, c.camera);
        EXPECT_EQ(problem.empty(), c.ok) << c.view << " / " << c.camera << ": " << problem;
        if (!c.ok)
            continue;
        PreviewLook look;
        look.viewText = c.view;
        look.cameraText = c.camera;
        EXPECT_EQ(look.pagePath(), c.page) << c.view;
        EXPECT_EQ(look.previewOptions().view, c.seen) << c.view << " / " << c.camera;
    }
}

TEST(PreviewLook, SizeAndPointsReachThePicture)
{
    PreviewLook look;
    look.sizeText = "320x200";
    look.pointsText = "NEW";
    const PreviewOptions options = look.previewOptions();
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 200);
    EXPECT_EQ(options.points, PointsShown::New);
    EXPECT_EQ(PreviewLook().previewOptions().points, PointsShown::All);
}

}  // namespace
