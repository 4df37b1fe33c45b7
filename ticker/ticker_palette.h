// The ticker's colours, chosen against the background they are drawn on.
#pragma once

#include <cstdint>
#include <optional>

#include "watch/ticker_state.h"

namespace tickra {

using Colour = uint32_t;  // 0x00BBGGRR
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kGreen = 0x00FF00;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kGrey = 0x808080;

struct TickerPalette {
    Colour text;    // an unchanged price, a missing quote, and the hint of an empty list
    Colour red;     // up, in the text and in the chart
    Colour green;   // down
    Colour grey;    // network trouble
    Colour bar;     // the filled part of the bar underneath
    Colour marker;  // the alert markers beside the line: ↓ ↑ B S
    bool operator==(const TickerPalette&) const = default;
};

// Dark backgrounds keep the ticker's classic colours (yellow markers among them), light ones get
// darker shades (ochre markers); a colour that still does not stand out enough (WCAG contrast:
// 4.5 : 1 for the text, the grey and the markers, 3 : 1 for red and green) is moved toward white
// or black until it does.
TickerPalette PaletteFor(Colour background);

// The office look: no red, green or yellow anywhere. The line, the chart and the markers take the
// text's colour, which stands out at 4.5 : 1 already; network trouble stays grey.
TickerPalette Monochrome(const TickerPalette& palette);

// The palette's colour for a tone: up red, down green, stale grey, anything else plain text.
Colour ColourFor(const TickerPalette& palette, Tone tone);

// What the ticker's background depends on, as the window code found it.
struct ThemeInputs {
    bool high_contrast = false;
    Colour system_window = kWhite;  // the system's window and window-text colours
    Colour system_text = 0x000000;
    bool own_window = false;  // a window of its own rather than a place in a taskbar
    std::optional<unsigned long> light_taskbar;  // SystemUsesLightTheme; empty when absent
    std::optional<Colour> taskbar_pixel;         // beside the ticker; empty when unreadable
};

struct TickerColours {
    Colour background;
    TickerPalette palette;
    bool operator==(const TickerColours&) const = default;
};

inline constexpr Colour kLightTaskbar = 0xF3F3F3;

// The background and palette for the inputs; empty when there is nothing to go by (a taskbar
// pixel that could not be read), so the ticker keeps what it has.
std::optional<TickerColours> ChooseTickerColours(const ThemeInputs& inputs);

}  // namespace tickra
