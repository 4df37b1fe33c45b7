// What the ticker shows: filled by the quote check, the alert rules and the refresh cycle.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "watch/stock_entry.h"

namespace tickra {

using Colour = uint32_t;  // 0x00BBGGRR
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kGreen = 0x00FF00;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kGrey = 0x808080;  // network trouble: the line is not current

// Markers drawn beside the ticker text.
struct DisplayFlags {
    bool break_below = false;
    bool cross_above = false;
    bool buy_zone = false;
    bool sell_zone = false;
    bool operator==(const DisplayFlags&) const = default;
};

struct TickerState {
    // The ticker line holds at most this many bytes of GB2312 text.
    static constexpr size_t kMaxTextBytes = 99;

    DisplayFlags flags;
    // The shown stock's per-minute history; read-only, null for no chart.
    const std::array<float, StockEntry::kHistorySize>* history = nullptr;
    float reference_price = -1.0f;
    std::string text;
    Colour colour = kWhite;
    bool held = false;  // the rotation is held on this stock: a pin at the ticker's end
};

}  // namespace tickra
