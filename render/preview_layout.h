// Where things go in a preview picture: the scene on the left, the legend
// panel on the right, and the sizes of markers and text.
//
// Everything scales with the picture's shorter side, so a 4K picture looks
// like a 720p one, only sharper. Pictures too small for a readable legend
// give the whole width to the scene.
#pragma once

#include "render/canvas.h"

struct PreviewLayout
{
    PixelRect scene;       // the geometry is framed inside this
    int margin = 0;        // pixels kept clear inside the scene on every side
    int markerRadius = 1;  // radius of a point's disc, without its outline
    int fontScale = 1;     // pixels per font pixel
    bool hasLegend = false;
    PixelRect legend;  // the legend panel, right of the scene
    PixelRect bar;     // the colour bar: top row is the largest value
};

// Layout of a picture of the given size (sizes already checked).
PreviewLayout computeLayout(int width, int height);
