// What the ticker shows: filled by the quote check, the alert rules and the refresh cycle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tickra {

// What the line's colour says; the palette gives each tone its colour against the background.
enum class Tone {
    kUp,         // above the previous close
    kDown,       // below it
    kUnchanged,  // at it
    kStale,      // network trouble: the line is not current
    kMissing,    // no quote to tell of: a wrong code, or no stock at all
};

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
    // The serial of the stock entry whose per-minute history the chart draws; 0 for no chart.
    uint64_t stock = 0;
    float reference_price = -1.0f;
    std::string text;
    Tone tone = Tone::kMissing;
    bool held = false;  // the rotation is held on this stock: a pin at the ticker's end
    int unseen = 0;     // alerts the user has not seen yet: a counted mark at the line's end
    bool mono = false;  // the office look: drawn in the text's colour only
};

}  // namespace tickra
