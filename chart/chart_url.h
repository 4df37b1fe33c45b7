// The intraday chart: where its image comes from, and how it is fitted into the window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/local_time.h"

namespace tickra {

// "http://" host "/chart/bf/<market digit>/<code as held>.png?<%Y%m%d%H%M%S>". The market digit
// is 0 for "1A0001" and "1a0001" and for codes starting with 6 or 5, else 1.
std::string ChartUrl(std::string_view host, std::string_view code, const LocalTime& now);

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// The width and height a PNG file's header gives, read before anything is decoded; nothing when
// the bytes start with no PNG header.
std::optional<Size> PngSize(std::string_view bytes);

// Whether a chart picture of that size may be decoded: a chart is a few hundred pixels wide (its
// window about 300 x 200), and a header that claims 32768 x 32768 would take gigabytes decoded.
constexpr bool ChartPictureFits(Size size) {
    constexpr int kMaxSide = 1024;
    return size.width > 0 && size.height > 0 && size.width <= kMaxSide && size.height <= kMaxSide;
}

// An image larger than the client area is scaled by the client's shorter side; one that fits is
// drawn at its natural size.
Size ChartDrawSize(Size client, Size image);

// The window's top-left corner: centred over the ticker, its lower edge 10 pixels above it.
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
Point ChartWindowPosition(int ticker_left, int ticker_top, int ticker_right, Size window);

}  // namespace tickra
