#include "render/preview_camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
double dot(const double a[3], const double b[3]) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }

TEST(ViewBasis, EveryViewIsOrthonormalAndRightHanded)
{
    for (PreviewView view : {PreviewView::X, PreviewView::Y, PreviewView::Z, PreviewView::Iso})
    {
        const ViewBasis b = viewBasis(view);
        EXPECT_NEAR(dot(b.right, b.right), 1.0, 1e-15);
        EXPECT_NEAR(dot(b.up, b.up), 1.0, 1e-15);
        EXPECT_NEAR(dot(b.right, b.up), 0.0, 1e-15);
        // right x up points back at the camera.
        const double back[3] = {b.right[1] * b.up[2] - b.right[2] * b.up[1],
                                b.right[2] * b.up[0] - b.right[0] * b.up[2],
                                b.right[0] * b.up[1] - b.right[1] * b.up[0]};
        EXPECT_NEAR(dot(back, b.forward), -1.0, 1e-15);
    }
    // Iso looks down from the positive corner, vertical lines upright.
    const ViewBasis iso = viewBasis(PreviewView::Iso);
    EXPECT_TRUE(iso.forward[0] < 0.0 && iso.forward[1] < 0.0 && iso.forward[2] < 0.0);
    EXPECT_EQ(iso.right[1], 0.0);
    EXPECT_GT(iso.up[1], 0.0);
}

TEST(FrameCamera, FitsTheBoxInsideTheMargin)
{
    Bounds3 box;
    includePoint(box, -3.0, 10.0, 5.0);
    includePoint(box, 1.0, 12.0, 5.0);
    const PixelRect scene{10, 20, 200, 100};
    const PreviewCamera camera = frameCamera(PreviewView::Z, box, scene, 5);
    // Box 4 x 2, room 190 x 90: the height limits, 45 pixels per unit.
    EXPECT_EQ(camera.scale, 45.0);
    const ScreenPoint low = projectPoint(camera, -3.0, 10.0, 5.0);
    const ScreenPoint high = projectPoint(camera, 1.0, 12.0, 5.0);
    EXPECT_EQ(low.x, 110.0 - 90.0);
    EXPECT_EQ(high.x, 110.0 + 90.0);
    EXPECT_EQ(low.y, 115.0) << "the box's bottom touches the lower margin";
    EXPECT_EQ(high.y, 25.0) << "and its top the upper margin";
    EXPECT_EQ(low.depth, -5.0) << "depth runs along the view direction";
    EXPECT_EQ(camera.extent, 4.0);
}

TEST(FrameCamera, DegenerateBoxesAreCentred)
{
    const PixelRect scene{0, 0, 100, 60};
    Bounds3 point;
    includePoint(point, 7.0, -2.0, 1.0);
    const PreviewCamera single = frameCamera(PreviewView::Iso, point, scene, 4);
    const ScreenPoint s = projectPoint(single, 7.0, -2.0, 1.0);
    EXPECT_NEAR(s.x, 50.0, 1e-12);
    EXPECT_NEAR(s.y, 30.0, 1e-12);
    EXPECT_EQ(single.scale, 1.0);

    // A segment along the view axis is a point on screen too.
    Bounds3 segment;
    includePoint(segment, 0.0, 0.0, -1.0);
    includePoint(segment, 0.0, 0.0, 4.0);
    EXPECT_EQ(frameCamera(PreviewView::Z, segment, scene, 4).scale, 1.0);

    // A flat box is fitted by its one extent.
    Bounds3 flat;
    includePoint(flat, 0.0, 0.0, 0.0);
    includePoint(flat, 2.0, 0.0, 0.0);
    EXPECT_EQ(frameCamera(PreviewView::Z, flat, scene, 4).scale, 46.0);

    const PreviewCamera empty = frameCamera(PreviewView::Z, Bounds3(), scene, 4);
    EXPECT_EQ(empty.scale, 1.0);
    EXPECT_EQ(projectPoint(empty, 0.0, 0.0, 0.0).x, 50.0);
}
}  // namespace
