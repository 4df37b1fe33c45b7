// Reads from the system what the ticker's colours depend on.
#pragma once

#include <optional>

#include "taskbar/host_geometry.h"
#include "ticker/ticker_palette.h"

namespace tickra {

// own_window: the ticker has a window of its own; sample: the screen point whose colour is the
// taskbar's, for a ticker in a taskbar.
ThemeInputs ReadThemeInputs(bool own_window, std::optional<ScreenPoint> sample);

}  // namespace tickra
