// Where the hover card goes beside its ticker.
#pragma once

#include "base/geometry.h"

namespace tickra {

// The hover card's top-left corner: centred over the ticker with a gap above it, below it on a
// taskbar at the top of the monitor, or beside a vertical taskbar, on its outer side; always
// inside the monitor. Screen coordinates.
ScreenPoint CardPosition(const Rect& ticker, int width, int height, const Rect& monitor,
                         bool vertical_taskbar);

}  // namespace tickra
