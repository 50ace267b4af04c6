#include "render/preview_camera.h"

#include <algorithm>
#include <cmath>

ViewBasis viewBasis(PreviewView view)
{
    switch (view)
    {
    case PreviewView::X:
        return ViewBasis{{0.0, 0.0, -1.0}, {0.0, 1.0, 0.0}, {-1.0, 0.0, 0.0}};
    case PreviewView::Y:
        return ViewBasis{{1.0, 0.0, 0.0}, {0.0, 0.0, -1.0}, {0.0, -1.0, 0.0}};
    case PreviewView::Z:
        return ViewBasis{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, -1.0}};
    case PreviewView::Iso:
        break;
    }
    // 45 degrees round from +z towards +x, 30 degrees up: the camera sits
    // along (sqrt(6)/4, 1/2, sqrt(6)/4) and looks back at the scene.
    const double h = std::sqrt(0.5);
    const double c = std::sqrt(6.0) / 4.0;
    const double d = std::sqrt(2.0) / 4.0;
    return ViewBasis{{h, 0.0, -h}, {-d, std::sqrt(3.0) / 2.0, -d}, {-c, -0.5, -c}};
}

void includePoint(Bounds3 &bounds, double x, double y, double z)
{
    const double p[3] = {x, y, z};
    for (int k = 0; k < 3; ++k)
    {
        if (bounds.empty || p[k] < bounds.min[k])
            bounds.min[k] = p[k];
        if (bounds.empty || p[k] > bounds.max[k])
            bounds.max[k] = p[k];
    }
    bounds.empty = false;
}

PreviewCamera frameCamera(PreviewView view, const Bounds3 &bounds, const PixelRect &scene, int margin)
{
    PreviewCamera camera;
    camera.basis = viewBasis(view);
    camera.originX = scene.x + scene.width / 2.0;
    camera.originY = scene.y + scene.height / 2.0;
    if (bounds.empty)
        return camera;

    // The box's projection is the projection of its eight corners.
    const ViewBasis &b = camera.basis;
    double uMin = 0.0, uMax = 0.0, vMin = 0.0, vMax = 0.0, dMin = 0.0, dMax = 0.0;
    for (int corner = 0; corner < 8; ++corner)
    {
        const double x = (corner & 1) ? bounds.max[0] : bounds.min[0];
        const double y = (corner & 2) ? bounds.max[1] : bounds.min[1];
        const double z = (corner & 4) ? bounds.max[2] : bounds.min[2];
        const double u = (x * b.right[0] + y * b.right[1]) + z * b.right[2];
        const double v = (x * b.up[0] + y * b.up[1]) + z * b.up[2];
        const double d = (x * b.forward[0] + y * b.forward[1]) + z * b.forward[2];
        uMin = corner == 0 ? u : std::min(uMin, u);
        uMax = corner == 0 ? u : std::max(uMax, u);
        vMin = corner == 0 ? v : std::min(vMin, v);
        vMax = corner == 0 ? v : std::max(vMax, v);
        dMin = corner == 0 ? d : std::min(dMin, d);
        dMax = corner == 0 ? d : std::max(dMax, d);
    }
    camera.centreU = (uMin + uMax) / 2.0;
    camera.centreV = (vMin + vMax) / 2.0;
    camera.depthNear = dMin;
    camera.depthFar = dMax;

    const double availableWidth = std::max(1, scene.width - 2 * margin);
    const double availableHeight = std::max(1, scene.height - 2 * margin);
    const double spanU = uMax - uMin;
    const double spanV = vMax - vMin;
    double scale = 0.0;
    if (spanU > 0.0)
        scale = availableWidth / spanU;
    if (spanV > 0.0 && (scale == 0.0 || availableHeight / spanV < scale))
        scale = availableHeight / spanV;
    camera.scale = scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
    camera.extent =
        std::max({bounds.max[0] - bounds.min[0], bounds.max[1] - bounds.min[1], bounds.max[2] - bounds.min[2]});
    return camera;
}
