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

// The window's top-left corner: centred over the ticker, its lower edge 10 pixels above it.
Point ChartWindowPosition(int ticker_left, int ticker_top, int ticker_right, Size window);

}  // namespace tickra
