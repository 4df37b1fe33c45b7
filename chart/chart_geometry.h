// How the intraday chart window sits above the ticker, and how its picture fits the window.
#pragma once

namespace tickra {

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// An image larger than the client area is scaled by the client's shorter side; one that fits is
// drawn at its natural size.
Size ChartDrawSize(Size client, Size image);

// The window's top-left corner: centred over the ticker, its lower edge 10 pixels above it; below
// it by as much when a taskbar at the top of its monitor (monitor_top) leaves no room above.
Point ChartWindowPosition(int ticker_left, int ticker_top, int ticker_right, int ticker_bottom,
                          Size window, int monitor_top);

}  // namespace tickra
