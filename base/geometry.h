// Rectangles and points on the screen, as the platform-free arithmetic takes them.
#pragma once

namespace tickra {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    // A window is vertical when it is narrower than tall; a square counts as horizontal.
    bool vertical() const { return width() < height(); }
    bool operator==(const Rect&) const = default;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

}  // namespace tickra
