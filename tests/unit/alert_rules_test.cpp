#include <gtest/gtest.h>

#include "unit/test_support.h"
#include "watch/alert_rules.h"
#include "watch/move_alerts.h"

namespace tickra {
namespace {

using testing::Titles;

AlertInputs Inputs(float previous_close, float previous_price, float price) {
    AlertInputs in;
    in.name = "浦发银行";
    in.previous_close = previous_close;
    in.previous_price = previous_price;
    in.price = price;
    in.hour = 10;
    in.minute = 0;
    in.time_text = "10:00:00";
    return in;
}

TEST(AlertRules, TextsAreExactForEveryAlert) {
    TipLists tips{true, {}, {}};
    // Rising through cross-above and balance after 14:40 with tips on: B, C, D.
    AlertInputs up = Inputs(9.0f, 9.5f, 10.25f);
    up.cross_above = 10.0f;
    up.balance = 9.8f;
    up.hour = 14;
    up.minute = 40;
    up.time_text = "14:40:00";
    std::vector<Alert> raised = EvaluateAlerts(up, tips).alerts;
    // Falling through break-below and balance: A, E, F.
    AlertInputs down = Inputs(11.0f, 10.5f, 9.4f);
    down.break_below = 9.5f;
    down.balance = 10.0f;
    down.hour = 15;
    down.minute = 5;
    for (Alert& alert : EvaluateAlerts(down, tips).alerts) {
        raised.push_back(std::move(alert));
    }

    const Alert expected[] = {
        {"到价提示", "浦发银行价格上穿,设定价是10.000元,当前10.250元",
         "价格上穿：浦发银行设定价是10.000元,当前10.250元"},
        {"平衡价提示", "浦发银行上穿平衡价,平衡价是9.800,当前10.250元",
         "平衡价提示：浦发银行上穿平衡价,平衡价是9.800元,当前10.250元"},
        {"买入提示", "浦发银行股价已经站在平衡价之上，可以买入。\r\n平衡价是9.800元,当前10.250元",
         "买入提示：浦发银行股价已经站在平衡价之上，可以买入。\r\n平衡价是9.800元,当前10.250元"},
        {"到价提示", "浦发银行价格下破,设定价是9.500元,当前9.400元",
         "价格下破：浦发银行设定价是9.500元,当前9.400元"},
        {"平衡价提示", "浦发银行下破平衡价,平衡价是10.000,当前9.400元",
         "平衡价提示：浦发银行下破平衡价,平衡价是10.000元,当前9.400元"},
        {"卖出提示",
         "浦发银行股价已经在平衡价之下，卖出。\r\n\r\n不想卖？看看历史数据吧，数据总是对的!"
         "错的是你的执行!\r\n\r\n平衡价是10.000元,当前9.400元",
         "卖出提示：浦发银行股价已经在平衡价之下，卖出。平衡价是10.000元,当前9.400元"},
    };
    ASSERT_EQ(raised.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(raised[i].title, expected[i].title) << i;
        EXPECT_EQ(raised[i].balloon, expected[i].balloon) << i;
        EXPECT_EQ(raised[i].line, expected[i].line) << i;
    }
    EXPECT_EQ(raised[0].time, "14:40:00");
}

// One row per check: the prices, the time, the flags expected and the alerts raised in order.
struct Check {
    const char* what;
    float previous_close, previous_price, price;
    float break_below, cross_above, balance;
    int hour, minute;
    DisplayFlags flags;
    std::vector<std::string> titles;
    bool missing = false;
};

void RunChecks(const std::vector<Check>& checks, bool tips_on = false) {
    TipLists tips{tips_on, {}, {}};
    for (const Check& c : checks) {
        AlertInputs in = Inputs(c.previous_close, c.previous_price, c.price);
        in.break_below = c.break_below;
        in.cross_above = c.cross_above;
        in.balance = c.balance;
        in.hour = c.hour;
        in.minute = c.minute;
        in.missing = c.missing;
        if (c.missing) {
            in.name.clear();
        }
        const AlertVerdict verdict = EvaluateAlerts(in, tips);
        EXPECT_EQ(verdict.flags, c.flags) << c.what;
        EXPECT_EQ(Titles(verdict.alerts), c.titles) << c.what;
    }
}

constexpr DisplayFlags kNone{};
constexpr DisplayFlags kBelow{true, false, false, false};
constexpr DisplayFlags kAbove{false, true, false, false};
constexpr DisplayFlags kBuy{false, false, true, false};
constexpr DisplayFlags kSell{false, false, false, true};

TEST(AlertRules, BreakBelowFiresOncePerCrossing) {
    RunChecks({
        {"first check compares with the close",
         10,
         -1,
         9.4f,
         9.5f,
         0,
         0,
         10,
         0,
         kBelow,
         {"到价提示"}},
        {"stays below: flag only", 10, 9.4f, 9.3f, 9.5f, 0, 0, 10, 0, kBelow, {}},
        {"back above", 10, 9.3f, 9.6f, 9.5f, 0, 0, 10, 0, kNone, {}},
        {"crosses again", 10, 9.6f, 9.45f, 9.5f, 0, 0, 10, 0, kBelow, {"到价提示"}},
        {"price equal to the level", 10, 9.6f, 9.5f, 9.5f, 0, 0, 10, 0, kNone, {}},
        {"previous price equal to the level", 10, 9.5f, 9.4f, 9.5f, 0, 0, 10, 0, kBelow, {}},
        {"level raised above a price already below", 10, 9.4f, 9.4f, 9.8f, 0, 0, 10, 0, kBelow, {}},
        {"break-below 0 never fires", 10, 1, 0.5f, 0, 0, 0, 10, 0, kNone, {}},
    });
}

TEST(AlertRules, CrossAboveFiresOncePerCrossing) {
    RunChecks({
        {"crosses", 10, 10.5f, 11.2f, 0, 11, 0, 10, 0, kAbove, {"到价提示"}},
        {"stays above", 10, 11.2f, 11.3f, 0, 11, 0, 10, 0, kAbove, {}},
        {"equal to the level", 10, 10.5f, 11, 0, 11, 0, 10, 0, kNone, {}},
        {"cross-above 0 is off", 10, 10.5f, 11.2f, 0, 0, 0, 10, 0, kNone, {}},
        {"after a missing quote (previous 0)", 10, 0, 11.2f, 0, 11, 0, 10, 0, kAbove, {"到价提示"}},
    });
}

TEST(AlertRules, BalanceRulesAndZonesFollowTheCloseAndTheClock) {
    RunChecks({
        {"up through balance at 14:39", 9, 9.5f, 10.5f, 0, 0, 10, 14, 39, kNone, {"平衡价提示"}},
        {"up at 14:40, tips off", 9, 9.5f, 10.5f, 0, 0, 10, 14, 40, kBuy, {"平衡价提示"}},
        {"above at 15:05, no crossing", 9, 10.5f, 10.6f, 0, 0, 10, 15, 5, kBuy, {}},
        {"down through balance", 11, 10.5f, 9.5f, 0, 0, 10, 10, 0, kNone, {"平衡价提示"}},
        {"down, late", 11, 9.5f, 9.4f, 0, 0, 10, 14, 45, kSell, {}},
        {"close equal to balance", 10, 9, 11, 0, 0, 10, 15, 0, kNone, {}},
        {"balance 0 is off", 9, 9.5f, 10.5f, 0, 0, 0, 15, 0, kNone, {}},
        {"time unknown: no zone", 9, 9.5f, 10.5f, 0, 0, 10, -1, -1, kNone, {"平衡价提示"}},
        {"after a missing quote (previous 0)", 9, 0, 10.5f, 0, 0, 10, 10, 0, kNone, {"平衡价提示"}},
    });
}

TEST(AlertRules, TipsComeOncePerNameAndOnlyWithTheSwitch) {
    RunChecks(
        {
            {"buy tip", 9, 10.5f, 10.6f, 0, 0, 10, 14, 40, kBuy, {"买入提示"}},
            {"never again", 9, 10.5f, 10.6f, 0, 0, 10, 15, 5, kBuy, {}},
            {"sell tip", 11, 9.5f, 9.4f, 0, 0, 10, 14, 50, kSell, {"卖出提示"}},
            {"sell never again", 11, 9.5f, 9.4f, 0, 0, 10, 14, 55, kSell, {}},
        },
        true);
}

TEST(AlertRules, SeveralAlertsComeInOrderAToF) {
    RunChecks({
        {"through break-below and balance",
         11,
         10.5f,
         9.4f,
         9.5f,
         0,
         10,
         10,
         0,
         kBelow,
         {"到价提示", "平衡价提示"}},
    });
}

TEST(AlertRules, MissingQuoteRaisesNothing) {
    RunChecks({
        {"suspended with break-below", 0, 9, 0, 5, 11, 10, 15, 0, kBelow, {}, true},
        {"first check of a missing quote", 0, -1, 0, 0, 11, 10, 15, 0, kNone, {}, true},
    });
}

TEST(MoveAlerts, LimitsFollowTheBoardAndAreRoundedHalfUpToTheFen) {
    struct Case {
        const char* code;
        const char* name;
        const char* close;
        std::optional<LimitPrices> limits;  // thousandths
    };
    const Case cases[] = {
        {"600000", "浦发银行", "10.00", LimitPrices{11000, 9000}},
        {"000001", "平安银行", "10.05", LimitPrices{11060, 9050}},  // 11.055 and 9.045, half up
        {"510050", "50ETF", "2.345", LimitPrices{2580, 2110}},      // 2.5795 and 2.1105
        {"300750", "宁德时代", "10.00", LimitPrices{12000, 8000}},
        {"688981", "中芯国际", "10.00", LimitPrices{12000, 8000}},
        {"830799", "艾融软件", "10.00", LimitPrices{13000, 7000}},
        {"920001", "x", "10.00", LimitPrices{13000, 7000}},
        {"600001", "ST浙报", "10.00", LimitPrices{10500, 9500}},
        {"000002", "*ST万科", "10.00", LimitPrices{10500, 9500}},
        {"600003", "S*ST东北", "10.00", LimitPrices{10500, 9500}},
        {"300001", "ST特锐", "10.00", LimitPrices{12000, 8000}},  // the board's own limit
        {"1A0001", "上证指数", "3000.00", std::nullopt},
        {"399001", "深证成指", "10000.00", std::nullopt},
        {"700001", "x", "10.00", std::nullopt},
        {"ABC", "x", "10.00", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<int64_t> close = PriceInMills(c.close);
        ASSERT_TRUE(close) << c.close;
        EXPECT_EQ(DailyLimits(c.code, c.name, *close), c.limits) << c.code;
    }
    for (const char* no_price : {"", "0.0001", "1e3", "-1.00", "10.", "inf", "99999999"}) {
        EXPECT_EQ(PriceInMills(no_price), std::nullopt) << no_price;
    }
    EXPECT_EQ(DailyLimits("600000", "x", 0), std::nullopt);
}

// One stock's quotes through the day, in order: the alerts each raises, by text.
TEST(MoveAlerts, EachCrossingAndEachNewMultipleAlertsOnceADay) {
    struct Quote {
        const char* last;
        int day;
        std::vector<std::string> texts;
        bool limits = true;
    };
    const Quote quotes[] = {
        {"11.00", 1, {"浦发银行 11.00 涨停"}},  // already at the limit at its first quote
        {"11.00", 1, {}},
        {"10.99", 1, {"浦发银行 10.99 开板"}},
        {"11.00", 1, {"浦发银行 11.00 涨停"}},
        {"9.00", 1, {"浦发银行 9.00 开板", "浦发银行 9.00 跌停"}},
        {"9.01", 1, {"浦发银行 9.01 跌停打开"}},
        {"11.00", 1, {}, false},  // switched off
        {"11.00", 2, {"浦发银行 11.00 涨停"}},
    };
    DayMoves moves;
    for (const Quote& q : quotes) {
        MoveInputs in{"600000", "浦发银行", q.last, "10.00", std::nullopt, q.limits, 0, q.day, ""};
        std::vector<std::string> texts;
        for (const Alert& alert : EvaluateMoves(in, moves)) {
            texts.push_back(alert.line);
            EXPECT_EQ(alert.title, alert.line.find("涨停") != std::string::npos ||
                                           alert.line.find("开板") != std::string::npos
                                       ? "涨停提醒"
                                       : "跌停提醒");
        }
        EXPECT_EQ(texts, q.texts) << q.last << " on day " << q.day;
    }

    // With a step of 3 %: +1 %, +3.2 %, +2 %, +6.1 %, then -6 % at once, back, and a new day.
    const std::pair<const char*, std::vector<std::string>> steps[] = {
        {"10.10", {}},
        {"10.32", {"浦发银行 涨幅达 +3.00%"}},
        {"10.20", {}},
        {"10.61", {"浦发银行 涨幅达 +6.00%"}},
        {"9.40", {"浦发银行 跌幅达 -6.00%"}},
        {"10.35", {}},
    };
    moves = {};
    for (const auto& [last, texts] : steps) {
        MoveInputs in{"600000", "浦发银行", last, "10.00", std::nullopt, false, 3, 1, ""};
        const std::vector<Alert> alerts = EvaluateMoves(in, moves);
        EXPECT_EQ(Titles(alerts), std::vector<std::string>(texts.size(), "涨跌幅提醒")) << last;
        std::vector<std::string> said;
        for (const Alert& alert : alerts) {
            said.push_back(alert.balloon);
        }
        EXPECT_EQ(said, texts) << last;
    }
    MoveInputs next_day{"600000", "浦发银行", "10.35", "10.00", std::nullopt, false, 3, 2, ""};
    EXPECT_EQ(EvaluateMoves(next_day, moves).size(), 1u) << "the day changed";

    DayMoves fed;
    MoveInputs feed_limits{"600000", "浦发银行", "10.80", "10.00", LimitPrices{10800, 9200},
                           true,     0,          1,       ""};
    EXPECT_EQ(Titles(EvaluateMoves(feed_limits, fed)), std::vector<std::string>{"涨停提醒"})
        << "the feed's own limit counts over the board's";
}

}  // namespace
}  // namespace tickra
