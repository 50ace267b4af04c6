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

// Wall greys: a wall seen from its front ranges from kFrontDark (seen edge
// on) to kFrontDark + kFrontRange (seen square on); from its back, from
// kBackDark to kBackDark + kBackRange, always darker than any front.
constexpr int kFrontDark = 96;
constexpr int kFrontRange = 134;
constexpr int kBackDark = 44;
constexpr int kBackRange = 28;
