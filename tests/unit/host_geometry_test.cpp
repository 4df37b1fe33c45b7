#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

#include "taskbar/host_geometry.h"
#include "taskbar/taskbar_choice.h"
#include "ticker/ticker_chart.h"
#include "ticker/wheel_steps.h"

namespace tickra {
namespace {

// A 1280 × 1024 screen with a 30-pixel taskbar at the bottom: ReBar from 60 to the
// notification area at 1100.
constexpr Rect kTaskbar{0, 994, 1280, 1024};
constexpr Rect kRebar{60, 994, 1100, 1024};
constexpr Rect kNotify{1100, 994, 1280, 1024};

TEST(HostGeometry, HorizontalTaskbarGetsA220PixelGap) {
    LayoutMode mode = LayoutMode::kNone;
    const RebarBounds rebar = ShrunkenRebar(kTaskbar, kRebar, kNotify, mode);
    EXPECT_EQ(mode, LayoutMode::kHorizontal);
    EXPECT_EQ(rebar, (RebarBounds{60, 0, 820, 30}));
    const Rect shrunk{60, 994, 60 + 820, 1024};

    const Rect ticker = TickerRect(shrunk);
    EXPECT_EQ(ticker, (Rect{880, 5, 1095, 27}));
    EXPECT_EQ(ticker.width(), 215);
    EXPECT_EQ(ticker.height(), 22);
    EXPECT_EQ(kNotify.left - ticker.right, 5);

    EXPECT_FALSE(GapTooSmall(kTaskbar, shrunk, kNotify)) << "exactly 220 is enough";
    const Rect grown{1050, 994, 1280, 1024};
    EXPECT_TRUE(GapTooSmall(kTaskbar, shrunk, grown));

    EXPECT_EQ(RestoreRebar(mode, kTaskbar, shrunk, kNotify), (RebarBounds{60, 0, 1040, 30}));
}

TEST(HostGeometry, TallBandsCenterA30PixelBand) {
    const std::pair<int, Rect> cases[] = {
        {30, {880, 5, 1095, 27}},
        {60, {880, 20, 1095, 42}},
        {24, {880, 4, 1095, 22}},
        {31, {880, 5, 1095, 27}},
    };
    for (auto [height, expected] : cases) {
        EXPECT_EQ(TickerRect({60, 0, 880, height}), expected) << height;
    }
}

TEST(HostGeometry, VerticalTaskbarGetsA30PixelGapBelowTheRebar) {
    const Rect taskbar{0, 0, 60, 1024}, rebar{0, 40, 60, 900}, notify{0, 900, 60, 1024};
    LayoutMode mode = LayoutMode::kNone;
    EXPECT_EQ(ShrunkenRebar(taskbar, rebar, notify, mode), (RebarBounds{0, 40, 60, 830}));
    EXPECT_EQ(mode, LayoutMode::kVertical);
    const Rect shrunk{0, 40, 60, 870};
    const Rect ticker = TickerRect(shrunk);
    EXPECT_EQ(ticker, (Rect{3, 870, 57, 895}));
    EXPECT_EQ(notify.top - ticker.bottom, 5);
    EXPECT_FALSE(GapTooSmall(taskbar, shrunk, notify));
    EXPECT_TRUE(GapTooSmall(taskbar, shrunk, {0, 880, 60, 1024}));
    EXPECT_EQ(RestoreRebar(mode, taskbar, shrunk, notify), (RebarBounds{0, 40, 60, 860}));
}

// Second monitors start where the first ends: the arithmetic is the taskbar's own.
TEST(HostGeometry, ASecondaryTaskListLeavesTheGapBeforeItsClockOrItsFarEnd) {
    struct Case {
        const char* what;
        Rect taskbar, task_list;
        std::optional<Rect> clock;
        int dpi;
        std::optional<SecondaryLayout> layout;
    };
    const Case cases[] = {
        {"horizontal, clock",
         {1280, 994, 2560, 1024},
         {1328, 994, 2440, 1024},
         Rect{2440, 994, 2560, 1024},
         96,
         SecondaryLayout{{48, 0, 892, 30}, {940, 5, 1155, 27}}},
        {"horizontal, no clock",
         {1280, 1035, 3200, 1080},
         {1352, 1035, 3200, 1080},
         std::nullopt,
         144,
         SecondaryLayout{{72, 0, 1518, 45}, {1590, 6, 1913, 41}}},
        {"vertical, clock",
         {1280, 0, 1340, 1024},
         {1280, 48, 1340, 904},
         Rect{1280, 904, 1340, 1024},
         96,
         SecondaryLayout{{0, 48, 60, 826}, {3, 874, 57, 899}}},
        {"vertical, no clock",
         {2560, 0, 2680, 2048},
         {2560, 96, 2680, 2048},
         std::nullopt,
         192,
         SecondaryLayout{{0, 96, 120, 1892}, {3, 1988, 117, 2038}}},
        {"too small",
         {1280, 994, 1500, 1024},
         {1328, 994, 1500, 1024},
         std::nullopt,
         96,
         std::nullopt},
        {"a task list left narrower than the bar is thick",
         {1280, 994, 1697, 1024},
         {1328, 994, 1577, 1024},
         Rect{1577, 994, 1697, 1024},
         96,
         std::nullopt},
        {"a task list squeezed before is no vertical one",
         {1280, 994, 2560, 1024},
         {1328, 994, 1340, 1024},
         Rect{2440, 994, 2560, 1024},
         96,
         SecondaryLayout{{48, 0, 892, 30}, {940, 5, 1155, 27}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SecondaryTaskbarLayout(c.taskbar, c.task_list, c.clock, ScaleHostMetrics(c.dpi)),
                  c.layout)
            << c.what;
    }
    EXPECT_EQ(Windows11SecondaryTickerRect({1280, 984, 2560, 1024}, ScaleHostMetrics(120)),
              (Rect{895, 5, 1164, 35}));
}

TEST(TaskbarChoice, ABadFileMeansThePrimaryAndTheTickerIsNeverLost) {
    using C = TaskbarChoice;
    const std::pair<const char*, C> texts[] = {
        {"primary", C::kPrimary}, {" Secondary\r\n", C::kSecondary}, {"ALL", C::kAll},
        {"", C::kPrimary},        {"all of them", C::kPrimary},      {"\xB0\xA1", C::kPrimary}};
    for (const auto& [text, choice] : texts) {
        EXPECT_EQ(ParseTaskbarChoice(text), choice) << text;
        EXPECT_EQ(ParseTaskbarChoice(TaskbarChoiceText(choice)), choice);
    }
    EXPECT_EQ(TargetsFor(C::kSecondary, true), (TickerTargets{false, true}));
    EXPECT_EQ(TargetsFor(C::kAll, true), (TickerTargets{true, true}));
    for (C choice : {C::kPrimary, C::kSecondary, C::kAll}) {
        EXPECT_EQ(TargetsFor(choice, false), (TickerTargets{true, false})) << "no secondary";
    }
}

TEST(WheelSteps, DeltasAddUpToOneStepPerNotch) {
    struct Case {
        const char* what;
        std::vector<int> deltas;
        std::vector<int> steps;  // after each delta
    };
    const Case cases[] = {
        {"a notch each way", {120, -120}, {1, -1}},
        {"a touchpad swipe of small deltas", {30, 30, 30, 30, 30}, {0, 0, 0, 1, 0}},
        {"no delta, no step", {0, 0}, {0, 0}},
        {"three notches in one message", {-360}, {-3}},
        {"a turn back drops the rest", {90, -60, -60}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        WheelSteps wheel;
        std::vector<int> steps;
        for (int delta : c.deltas) {
            steps.push_back(wheel.Add(delta));
        }
        EXPECT_EQ(steps, c.steps) << c.what;
    }
}

TEST(HostGeometry, OsGenerationFollowsTheVersion) {
    struct Case {
        bool known;
        unsigned long platform, major, minor;
        int generation;
    };
    const Case cases[] = {
        {false, 2, 6, 1, -1}, {true, 1, 4, 0, 0},   {true, 1, 4, 10, 1}, {true, 1, 4, 90, 2},
        {true, 1, 4, 5, -1},  {true, 2, 3, 51, -1}, {true, 2, 4, 0, 3},  {true, 2, 5, 0, 4},
        {true, 2, 5, 1, 5},   {true, 2, 5, 2, 6},   {true, 2, 6, 1, 6},  {true, 2, 10, 0, 6},
        {true, 0, 6, 1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OsGeneration(c.known, c.platform, c.major, c.minor), c.generation)
            << c.platform << " " << c.major << "." << c.minor;
    }
}

using History = std::array<float, StockEntry::kHistorySize>;

History HistoryEnding(std::initializer_list<float> latest) {
    History v;
    v.fill(-1.0f);
    int i = StockEntry::kLatest - static_cast<int>(latest.size()) + 1;
    for (float price : latest) {
        v[static_cast<size_t>(i++)] = price;
    }
    return v;
}

TEST(TickerChart, FirstIndexFollowsTheTextWidth) {
    const std::pair<int, int> cases[] = {{93, 0}, {92, -1}, {190, 48}, {194, 50}, {195, 51}};
    for (auto [width, first] : cases) {
        EXPECT_EQ(FirstChartIndex(width), first) << width;
    }
}

TEST(TickerChart, SegmentsCrossTheReferenceRowInTwoColours) {
    // f = 48: three points at x 194, 196, 198; height 22 gives rows 0..21 and R = 11.
    const auto segments = ComputeChartSegments(HistoryEnding({10, 11, 12}), 11, 190, 22);
    const std::vector<ChartSegment> expected = {
        {194, 21, 195, 11, false},  // rises through the reference: green, then red
        {195, 11, 196, 10, true},
        {196, 10, 198, 0, true},
    };
    EXPECT_EQ(segments, expected);
}

TEST(TickerChart, ReferenceOutsideTheRangeColoursEverything) {
    const History v = HistoryEnding({10, 12, 11, 13});
    for (auto [reference, red] : {std::pair{100.0f, false}, std::pair{1.0f, true}}) {
        const auto segments = ComputeChartSegments(v, reference, 150, 22);
        ASSERT_EQ(segments.size(), 3u) << reference;
        for (const ChartSegment& s : segments) {
            EXPECT_EQ(s.red, red) << reference;
        }
    }
}

TEST(TickerChart, FreeAndEmptyCases) {
    struct Case {
        const char* what;
        History v;
        float reference;
        int text_width;
        size_t segments;
    };
    const Case cases[] = {
        {"only the latest price", HistoryEnding({10}), 9, 20, 0},
        {"touching the reference from below leaves a gap", HistoryEnding({10, 11, 10}), 11, 150, 0},
        {"text too wide for a chart", HistoryEnding({10, 11, 12}), 11, 195, 0},
        {"text 194 wide: only the latest point", HistoryEnding({10, 11, 12}), 11, 194, 0},
        {"short text: the chart starts at slot 0", HistoryEnding({10, 11, 12}), 11, 40, 3},
        {"flat history: a level line", HistoryEnding({10, 10, 10}), 10, 150, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeChartSegments(c.v, c.reference, c.text_width, 22).size(), c.segments)
            << c.what;
    }
    const auto flat = ComputeChartSegments(HistoryEnding({10, 10, 10}), 9, 150, 22);
    ASSERT_EQ(flat.size(), 2u);
    EXPECT_EQ(flat[0], (ChartSegment{194, 10, 196, 10, true})) << "above yesterday: red";
}

TEST(TickerChart, AValueThatIsNoNumberIsNeverDrawn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto drawn = [](const History& v, float reference) {
        return ComputeChartSegments(v, reference, 150, 22);
    };
    const auto two_points = drawn(HistoryEnding({11, 12}), 11);
    ASSERT_EQ(two_points.size(), 1u);
    // A sample that is no number ends the chart as a missing one does.
    EXPECT_EQ(drawn(HistoryEnding({10, nan, 11, 12}), 11), two_points);
    EXPECT_EQ(drawn(HistoryEnding({1e30f, inf, 11, 12}), 11), two_points);
    EXPECT_EQ(drawn(HistoryEnding({11, 12, -inf}), 11), std::vector<ChartSegment>{});
    EXPECT_EQ(drawn(HistoryEnding({11, 12}), nan), std::vector<ChartSegment>{});
    EXPECT_EQ(drawn(HistoryEnding({-3e38f, 3e38f}), 0), std::vector<ChartSegment>{});
}

}  // namespace
}  // namespace tickra

namespace tickra {
namespace {

TEST(HostGeometry, ScalingKeepsTheClassicFiguresAt96Dpi) {
    EXPECT_EQ(ScaleHostMetrics(96), HostMetrics{});
    EXPECT_EQ(ScaleTickerMetrics(96), TickerMetrics{});
    struct Case {
        int dpi;
        HostMetrics host;
        TickerMetrics ticker;
    };
    const Case cases[] = {
        {120, {269, 275, 38, 31, 38, 110}, {15, 3, 248, 260, {248, 3}}},
        {144, {323, 330, 45, 38, 45, 132}, {18, 3, 297, 312, {297, 3}}},
        {192, {430, 440, 60, 50, 60, 176}, {24, 4, 396, 416, {396, 4}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleHostMetrics(c.dpi), c.host) << c.dpi;
        EXPECT_EQ(ScaleTickerMetrics(c.dpi), c.ticker) << c.dpi;
    }
    EXPECT_EQ(TickerHeight({}), 22);
    EXPECT_EQ(TickerHeight(ScaleHostMetrics(192)), 46);
}

TEST(HostGeometry, Windows11TickerSitsLeftOfTheNotificationAreaCentred) {
    // A 48-pixel bar; the ReBar stand-in is 0 pixels high and takes no part.
    const Rect taskbar{0, 1032, 1920, 1080};
    const Rect notify{1700, 1032, 1920, 1080};
    const Rect ticker = Windows11TickerRect(taskbar, notify);
    EXPECT_EQ(ticker, (Rect{1480, 13, 1695, 35}));
    EXPECT_EQ(ticker.top, taskbar.height() - ticker.bottom) << "as much above as below";
    const Rect grown{1600, 1032, 1920, 1080};
    EXPECT_EQ(Windows11TickerRect(taskbar, grown).right, 1595);
    const Rect scaled = Windows11TickerRect(taskbar, notify, ScaleHostMetrics(144));
    EXPECT_EQ(scaled.width(), 323);
    EXPECT_EQ(scaled.height(), 35) << "the band formula over the scaled 45-pixel cap";
}

TEST(HostGeometry, StandaloneTickerSitsAboveWinesTray) {
    const Rect work{0, 0, 1280, 1024};
    EXPECT_EQ(StandaloneTickerRect(work, 1004), (Rect{1060, 977, 1275, 999}));
    EXPECT_EQ(StandaloneTickerRect(work, 5000), (Rect{1060, 997, 1275, 1019}))
        << "no tray: the work area's corner";
    EXPECT_EQ(StandaloneTickerRect(work, 1004, {}, Rect{1135, 943, 1278, 1014}),
              (Rect{915, 977, 1130, 999}))
        << "just left of a balloon";
    EXPECT_EQ(StandaloneTickerRect(work, 1004, {}, Rect{1135, 800, 1278, 900}),
              (Rect{1060, 977, 1275, 999}))
        << "a balloon above it leaves it alone";
}

}  // namespace
}  // namespace tickra
