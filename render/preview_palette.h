// The fixed colours of a preview besides the colour map: a dark background
// so that the light walls and the bright end of the map stand out, walls in
// greys, and outlines that contrast with both.
#pragma once

#include "render/canvas.h"

constexpr Rgb kBackgroundColour{22, 24, 30};
constexpr Rgb kTextColour{228, 228, 228};
constexpr Rgb kAppendedOutline{10, 10, 12};
constexpr Rgb kInputOutline{250, 250, 250};
constexpr Rgb kKeyFill{190, 190, 190};

// Wall greys: a wall seen from its front ranges from kFrontDark to
// kFrontDark + kFrontRange by how squarely it faces the camera and the light;
// from its back, from kBackDark to kBackDark + kBackRange, darker than any
// front. The far end of the scene's depth range darkens fronts by
// kDepthDarkening, so nearer surfaces stand out from the walls behind them.
constexpr int kFrontDark = 80;
constexpr int kFrontRange = 160;
constexpr int kBackDark = 40;
constexpr int kBackRange = 36;
constexpr double kDepthDarkening = 0.35;
