#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "watch/money.h"
#include "watch/quote_card.h"
#include "watch/ticker_line.h"

namespace tickra {
namespace {

TEST(Money, PositionsAreWorkedInMillsAndRoundedHalfAwayFromZeroToTheFen) {
    struct Row {
        const char *last, *close, *cost, *shares;
        const char *day, *held, *percent, *value, *yuan;
    };
    const Row rows[] = {
        {"10.80", "10.50", "10.000", "1000", "+300.00", "+800.00", "+8.00%", "10800.00", "+300"},
        // A float drifts here; thousandths do not.
        {"1.236", "1.234", "1.234", "10000", "+20.00", "+20.00", "+0.16%", "12360.00", "+20"},
        {"9.99", "10.50", "10.5", "300", "-153.00", "-153.00", "-4.86%", "2997.00", "-153"},
        {"1.235", "1.230", "1.2345", "1", "+0.01", "", "", "1.24", "0"},  // cost of four places
        {"0.005", "0.010", "0", "1", "-0.01", "+0.01", "", "0.01", "0"},  // no percent at cost 0
        {"0.004", "0.004", "0.004", "1", "0.00", "0.00", "0.00%", "0.00", "0"},
        {"10.50", "10.00", "", "1", "+0.50", "", "", "10.50", "+1"},  // half a yuan rounds up
        {"1000000", "999999.999", "100000", "1000000000", "+1000000.00", "+900000000000000.00",
         "+900.00%", "1000000000000000.00", "+1000000"},
    };
    for (const Row& r : rows) {
        const std::optional<Position> position = PositionOf(r.cost, r.shares);
        ASSERT_TRUE(position) << r.shares;
        const PositionValue value =
            ValueOf(*position, *PriceInMills(r.last), *PriceInMills(r.close));
        EXPECT_EQ(FenText(value.day, true), r.day) << r.last;
        EXPECT_EQ(value.held ? FenText(*value.held, true) : "", r.held) << r.last;
        EXPECT_EQ(position->cost
                      ? ChangePercentText(*position->cost, *PriceInMills(r.last)).value_or("")
                      : "",
                  r.percent)
            << r.last;
        EXPECT_EQ(FenText(value.value, false), r.value) << r.last;
        EXPECT_EQ(YuanText(value.day), r.yuan) << r.last;
    }
    for (const char* shares : {"", "0", " 12 ", "1e3", "-5", "1000000001"}) {
        EXPECT_EQ(PositionOf("10", shares).has_value(), std::string(shares) == " 12 ") << shares;
    }
    EXPECT_FALSE(AddAmounts(INT64_MAX - 1, 2));
    EXPECT_EQ(AddAmounts(-5, 3), -2);
}

TEST(Money, TheLineAndTheCardTellTheHoldingAsTheUserAsks) {
    const std::optional<Position> position = PositionOf("10.000", "1000");
    auto line = [&](LineStyle style, Tone tone) {
        return GoodQuoteLine(ShownName("", "浦发银行"), "10.80", "10.50",
                             tone == Tone::kDown ? -2.86f : 2.86f, tone, position, style);
    };
    EXPECT_EQ(line({}, Tone::kUp), "浦发银行 10.80 2.86%");
    EXPECT_EQ(line({true, false, false}, Tone::kUp), "浦发银行 10.80 2.86% +300");
    EXPECT_EQ(line({true, true, true}, Tone::kUp), "浦发银行 10.80 ▲2.86% ***");
    EXPECT_EQ(line({false, true, false}, Tone::kDown), "浦发银行 10.80 ▼-2.86%");
    EXPECT_EQ(ShownName("我的银行", "浦发银行"), "我的银行");

    WatchList rows(3);
    rows[0].code = "600000";
    rows[0].cost = "10.000";
    rows[0].shares = "1000";
    const auto quoted = [](WatchRow& row, const char* last, const char* close) {
        QuoteFacts& facts = row.entry->facts;
        facts.last_text = last;
        facts.previous_close_text = close;
        facts.time = "10:00:00";
    };
    quoted(rows[0], "10.80", "10.50");
    rows[1].code = "510300";
    rows[1].cost = "1.300";
    rows[1].shares = "10000";
    quoted(rows[1], "1.236", "1.234");
    rows[2].code = "000001";
    rows[2].shares = "100";  // no quote yet
    std::vector<CardLine> lines;
    AddPositionLines(lines, rows[0], rows, false);
    EXPECT_EQ(lines, (std::vector<CardLine>{
                         {"持股 1000 成本 10.000", Tone::kUnchanged},
                         {"当日盈亏 +300.00", Tone::kUp},
                         {"持仓盈亏 +800.00 (+8.00%)", Tone::kUp},
                         {"市值 10800.00", Tone::kUnchanged},
                         {"账户 当日 +320.00 持仓 +160.00（1 只无行情）", Tone::kUp},
                     }));
    lines.clear();
    AddPositionLines(lines, rows[1], rows, true);
    EXPECT_EQ(CardText(lines),
              "持股 10000 成本 1.300\r\n当日盈亏 ***\r\n持仓盈亏 *** (-4.92%)\r\n市值 ***\r\n"
              "账户 当日 *** 持仓 ***（1 只无行情）");
}

}  // namespace
}  // namespace tickra
