// What a chart picture claims to be, read before anything is decoded.
#pragma once

#include <optional>
#include <string_view>

#include "chart/chart_geometry.h"

namespace tickra {

// The width and height a PNG file's header gives; nothing when the bytes start with no PNG
// header.
std::optional<Size> PngSize(std::string_view bytes);

// Whether a chart picture of that size may be decoded: a chart is a few hundred pixels wide (its
// window about 300 x 200), and a header that claims 32768 x 32768 would take gigabytes decoded.
constexpr bool ChartPictureFits(Size size) {
    constexpr int kMaxSide = 1024;
    return size.width > 0 && size.height > 0 && size.width <= kMaxSide && size.height <= kMaxSide;
}

}  // namespace tickra
