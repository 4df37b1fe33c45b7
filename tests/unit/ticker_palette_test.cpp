#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "taskbar/host_geometry.h"
#include "ticker/ticker_palette.h"

namespace tickra {
namespace {

// WCAG 2 contrast, worked out here rather than taken from the code under test.
double Channel(Colour c, int shift) {
    const double s = ((c >> shift) & 0xFF) / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}
double Ratio(Colour a, Colour b) {
    auto lum = [](Colour c) {
        return 0.2126 * Channel(c, 0) + 0.7152 * Channel(c, 8) + 0.0722 * Channel(c, 16);
    };
    const double x = lum(a) + 0.05, y = lum(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}
int R(Colour c) {
    return c & 0xFF;
}
int G(Colour c) {
    return (c >> 8) & 0xFF;
}
int B(Colour c) {
    return (c >> 16) & 0xFF;
}

TEST(TickerPalette, EveryColourStandsOutOnEveryBackground) {
    const std::pair<const char*, Colour> backgrounds[] = {
        {"black", 0x000000},
        {"Windows 10 dark grey", 0x101010},
        {"Windows 11 dark", 0x202020},
        {"blue accent", 0xD77800},
        {"red accent", 0x2311E8},
        {"mid-grey", 0x808080},
        {"Windows 11 light grey", 0xF3F3F3},
        {"white", 0xFFFFFF},
    };
    for (const auto& [name, background] : backgrounds) {
        const TickerPalette p = PaletteFor(background);
        EXPECT_GE(Ratio(p.text, background), 4.5) << name;
        EXPECT_GE(Ratio(p.grey, background), 4.5) << name;
        EXPECT_GE(Ratio(p.red, background), 3.0) << name;
        EXPECT_GE(Ratio(p.green, background), 3.0) << name;
        EXPECT_GE(Ratio(p.marker, background), 4.5) << name;
        // Up stays red, down green and the markers yellow or ochre, whatever shade they take.
        EXPECT_TRUE(R(p.red) > G(p.red) && R(p.red) > B(p.red)) << name << std::hex << p.red;
        EXPECT_TRUE(G(p.green) > R(p.green) && G(p.green) > B(p.green))
            << name << std::hex << p.green;
        EXPECT_TRUE(R(p.marker) >= G(p.marker) && G(p.marker) > B(p.marker))
            << name << std::hex << p.marker;
        // The office look draws everything the text's neutral colour, legible as the text is.
        const TickerPalette mono = Monochrome(p);
        for (Colour c : {mono.text, mono.red, mono.green, mono.marker}) {
            EXPECT_TRUE(R(c) == G(c) && G(c) == B(c) && c == p.text) << name << std::hex << c;
        }
    }
}

TEST(TickerPalette, DarkTaskbarsKeepTheClassicColours) {
    for (Colour background : {0x000000u, 0x101010u}) {
        const TickerPalette p = PaletteFor(background);
        // Literal 0x00BBGGRR values: the product's constants could drift with the palette.
        EXPECT_EQ(p.text, 0xFFFFFFu) << "white";
        EXPECT_EQ(p.red, 0x0000FFu) << "red";
        EXPECT_EQ(p.green, 0x00FF00u) << "green";
        EXPECT_EQ(p.grey, 0x808080u) << "grey";
        EXPECT_EQ(p.marker, 0x00FFFFu) << "yellow";
    }
}

TEST(TickerPalette, BackgroundFollowsHighContrastThenTheTaskbarSetting) {
    ThemeInputs high;
    high.high_contrast = true;
    high.system_window = 0x000000;
    high.system_text = 0x00FFFF;
    high.taskbar_pixel = 0xF3F3F3;
    ThemeInputs light_own, dark_own, unset_own, embedded, unreadable;
    light_own.own_window = dark_own.own_window = unset_own.own_window = true;
    light_own.light_taskbar = 1;
    dark_own.light_taskbar = 0;
    light_own.taskbar_pixel = dark_own.taskbar_pixel = 0x777777;
    embedded.taskbar_pixel = 0xD77800;
    embedded.light_taskbar = 0;
    const std::pair<ThemeInputs, std::optional<Colour>> cases[] = {
        {high, 0x000000},      {light_own, 0xF3F3F3}, {dark_own, 0x000000},
        {unset_own, 0x000000}, {embedded, 0xD77800},  {unreadable, std::nullopt},
    };
    for (const auto& [inputs, background] : cases) {
        const std::optional<TickerColours> colours = ChooseTickerColours(inputs);
        ASSERT_EQ(colours.has_value(), background.has_value());
        if (colours) {
            EXPECT_EQ(colours->background, *background);
            EXPECT_EQ(colours->palette.red, PaletteFor(*background).red);
        }
    }
    EXPECT_EQ(ChooseTickerColours(high)->palette.text, 0x00FFFFu) << "the system's text colour";
}

TEST(TickerPalette, TheBackgroundIsSampledBesideTheTickerNotOnIt) {
    struct Case {
        Rect ticker, notify;
    };
    const Case cases[] = {
        {{880, 999, 1095, 1021}, {1100, 994, 1280, 1024}},  // horizontal: 5 pixels to the right
        {{3, 870, 57, 895}, {0, 900, 60, 1024}},            // vertical: 5 pixels below
    };
    for (const Case& c : cases) {
        const ScreenPoint p = BackgroundSamplePoint(c.ticker, c.notify);
        const bool on_ticker = p.x >= c.ticker.left && p.x < c.ticker.right &&
                               p.y >= c.ticker.top && p.y < c.ticker.bottom;
        const bool on_notify = p.x >= c.notify.left && p.x < c.notify.right &&
                               p.y >= c.notify.top && p.y < c.notify.bottom;
        EXPECT_FALSE(on_ticker || on_notify) << p.x << "," << p.y;
        EXPECT_TRUE(p.x >= c.ticker.left - 5 && p.x < c.notify.right && p.y >= c.ticker.top - 5 &&
                    p.y < c.notify.bottom)
            << "next to the ticker: " << p.x << "," << p.y;
    }
}

}  // namespace
}  // namespace tickra
