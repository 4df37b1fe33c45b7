#include <gtest/gtest.h>

#include <string>

#include "chart/chart_geometry.h"
#include "chart/chart_url.h"
#include "chart/png_header.h"
#include "unit/test_support.h"

namespace tickra {
namespace {

TEST(ChartUrl, MarketDigitCodeAndTimeStamp) {
    const LocalTime at = testing::At(10, 15, 30);  // 2008-07-08
    const std::pair<const char*, const char*> cases[] = {
        {"1A0001", "/0/1A0001"}, {"1a0001", "/0/1a0001"}, {"1A0002", "/1/1A0002"},
        {"600000", "/0/600000"}, {"510050", "/0/510050"}, {"000001", "/1/000001"},
        {"300001", "/1/300001"}, {"100001", "/1/100001"}, {"", "/1/"},
    };
    for (auto [code, part] : cases) {
        EXPECT_EQ(ChartUrl("charts.test:81", code, at),
                  std::string("http://charts.test:81/chart/bf") + part + ".png?20080708101530")
            << code;
    }
}

TEST(ChartScale, ShorterSideRuleAndNaturalSize) {
    EXPECT_EQ(ChartDrawSize({200, 150}, {400, 300}), (Size{200, 150}));
    EXPECT_EQ(ChartDrawSize({150, 200}, {400, 300}), (Size{150, 112}));
    EXPECT_EQ(ChartDrawSize({300, 200}, {120, 80}), (Size{120, 80}));
    EXPECT_EQ(ChartDrawSize({400, 100}, {300, 300}), (Size{100, 100}))
        << "wide client, tall image: scaled to the height";
}

TEST(ChartPlacement, CentredTenPixelsAboveTheTicker) {
    EXPECT_EQ(ChartWindowPosition(880, 999, 1095, 1021, {270, 230}, 0), (Point{852, 759}));
    EXPECT_EQ(ChartWindowPosition(880, 5, 1095, 27, {270, 230}, 0), (Point{852, 37}))
        << "a taskbar at the top";
}

TEST(ChartPicture, TheHeaderIsReadAndBoundedBeforeDecoding) {
    auto png = [](uint32_t width, uint32_t height) {
        std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0DIHDR", 16);
        for (uint32_t value : {width, height}) {
            for (int shift = 24; shift >= 0; shift -= 8) {
                bytes += static_cast<char>(value >> shift & 0xFF);
            }
        }
        return bytes + std::string(5, '\0');
    };
    EXPECT_EQ(PngSize(png(300, 200)), (Size{300, 200}));
    EXPECT_TRUE(ChartPictureFits(*PngSize(png(1024, 1024))));
    EXPECT_FALSE(ChartPictureFits(*PngSize(png(1025, 200))));
    EXPECT_FALSE(ChartPictureFits(*PngSize(png(32768, 32768))));
    EXPECT_FALSE(ChartPictureFits(*PngSize(png(300, 0xFFFFFFFF))));
    EXPECT_FALSE(ChartPictureFits(*PngSize(png(0, 200))));
    EXPECT_EQ(PngSize("<html>Not Found</html> and some more text"), std::nullopt);
    EXPECT_EQ(PngSize(png(300, 200).substr(0, 23)), std::nullopt) << "cut short";
}

}  // namespace
}  // namespace tickra
