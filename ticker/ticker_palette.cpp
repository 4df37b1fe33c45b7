#include "ticker/ticker_palette.h"

#include <cmath>

namespace tickra {

namespace {

constexpr Colour kBlack = 0x000000;
// The colours the ticker was made with, for the dark taskbars of older Windows.
constexpr TickerPalette kDarkPalette{kWhite, kRed, kGreen, kGrey, kGreen, 0x00FFFF};
// Yellow vanishes on a light taskbar (1.03 : 1 on Windows 11's); a dark ochre keeps the markers'
// warm hue there.
constexpr TickerPalette kLightPalette{0x1A1A1A, 0x0000C0, 0x008000, 0x606060, 0x008000, 0x0064A0};

constexpr double kTextContrast = 4.5;
constexpr double kColourContrast = 3.0;
// A hair above each bound, so that arithmetic done another way never finds a colour below it.
constexpr double kMargin = 0.01;

double Linear(unsigned channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Colour c) {
    return 0.2126 * Linear(c & 0xFF) + 0.7152 * Linear((c >> 8) & 0xFF) +
           0.0722 * Linear((c >> 16) & 0xFF);
}

double Contrast(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::fmax(la, lb) + 0.05) / (std::fmin(la, lb) + 0.05);
}

// from moved step/255 of the way to to, channel by channel.
Colour Mix(Colour from, Colour to, unsigned step) {
    Colour mixed = 0;
    for (unsigned shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        mixed |= static_cast<Colour>(a + (b - a) * static_cast<int>(step) / 255) << shift;
    }
    return mixed;
}

// The first shade on the way from preferred to extreme that stands out enough. The extreme is
// the one of black and white farther from the background, and every palette colour starts on
// its side, so each step only adds contrast; on the chosen side the extreme reaches at least
// sqrt(21) = 4.58 : 1, more than any bound.
Colour Readable(Colour preferred, Colour background, double bound, Colour extreme) {
    for (unsigned step = 0; step < 255; ++step) {
        const Colour shade = Mix(preferred, extreme, step);
        if (Contrast(shade, background) >= bound + kMargin) {
            return shade;
        }
    }
    return extreme;
}

}  // namespace

TickerPalette PaletteFor(Colour background) {
    const bool dark = Contrast(kWhite, background) >= Contrast(kBlack, background);
    const TickerPalette& preferred = dark ? kDarkPalette : kLightPalette;
    const Colour extreme = dark ? kWhite : kBlack;
    const Colour green = Readable(preferred.green, background, kColourContrast, extreme);
    return {Readable(preferred.text, background, kTextContrast, extreme),
            Readable(preferred.red, background, kColourContrast, extreme),
            green,
            Readable(preferred.grey, background, kTextContrast, extreme),
            green,
            Readable(preferred.marker, background, kTextContrast, extreme)};
}

TickerPalette Monochrome(const TickerPalette& palette) {
    TickerPalette mono = palette;
    mono.red = mono.green = mono.bar = mono.marker = palette.text;
    return mono;
}

Colour ColourFor(const TickerPalette& palette, Tone tone) {
    switch (tone) {
        case Tone::kUp:
            return palette.red;
        case Tone::kDown:
            return palette.green;
        case Tone::kStale:
            return palette.grey;
        case Tone::kUnchanged:
        case Tone::kMissing:
            break;
    }
    return palette.text;
}

std::optional<TickerColours> ChooseTickerColours(const ThemeInputs& in) {
    if (in.high_contrast) {
        TickerPalette palette = PaletteFor(in.system_window);
        palette.text = in.system_text;
        return TickerColours{in.system_window, palette};
    }
    Colour background;
    if (in.own_window) {
        // A window of its own stands in for the taskbar, so it takes the taskbar's setting.
        background = in.light_taskbar.value_or(0) != 0 ? kLightTaskbar : kBlack;
    } else if (in.taskbar_pixel) {
        background = *in.taskbar_pixel;
    } else {
        return std::nullopt;
    }
    return TickerColours{background, PaletteFor(background)};
}

}  // namespace tickra
