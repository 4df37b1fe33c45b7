#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "unit/test_support.h"
#include "watch/quote_card.h"
#include "watch/refresh_cycle.h"

namespace tickra {
namespace {

using testing::At;
using testing::FeedRecord;

std::vector<int> Rows(int row_count, const char* rotation, int ticks) {
    RefreshCycle cycle{MakeFeeds({}), false};
    std::vector<int> rows;
    for (int i = 0; i < ticks; ++i) {
        rows.push_back(cycle.ChooseRow(row_count, rotation));
    }
    return rows;
}

TEST(RefreshCycle, RotationCountSetsTicksPerStock) {
    EXPECT_EQ(Rows(3, "1", 6), (std::vector<int>{1, 2, 0, 1, 2, 0}));
    EXPECT_EQ(Rows(3, "3", 9), (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 0}));
    EXPECT_EQ(Rows(2, "", 11), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(Rows(3, "abc", 4), (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(Rows(1, "1", 3), (std::vector<int>{0, 0, 0}));
}

TEST(RefreshCycle, AnIndexPastTheEndStartsOverAtRowZero) {
    RefreshCycle cycle{MakeFeeds({}), false};
    for (int i = 0; i < 4; ++i) {
        cycle.ChooseRow(5, "10");
    }
    // Three rows deleted while the counter is still below the rotation count.
    EXPECT_EQ(cycle.ChooseRow(5, "3"), 1);
    EXPECT_EQ(cycle.ChooseRow(1, "10"), 0);
}

TEST(RefreshCycle, TradingWindowsIncludeBothEnds) {
    const std::pair<LocalTime, bool> cases[] = {
        {At(8, 59), false},  {At(9, 0), true},    {At(11, 30), true},
        {At(11, 31), false}, {At(12, 59), false}, {At(13, 0), true},
        {At(15, 0), true},   {At(15, 1), false},  {std::nullopt, false},
    };
    for (auto [time, in] : cases) {
        EXPECT_EQ(InTradingWindow(MinuteOfDay(time)), in)
            << (time ? time->tm_hour * 100 + time->tm_min : -1);
    }
}

struct RefreshRowTest : ::testing::Test {
    RefreshCycle cycle{MakeFeeds({}), false};
    WatchModel model;
    const WatchList& rows = model.rows();
    TickerState& ticker = model.ticker;
    std::vector<Alert> raised;

    RefreshRowTest() { model.Append(WatchRow("600000", "", "", "", "")); }
    WatchRow& row() { return model.row(0); }
    std::optional<PendingQuote> Start(size_t row_index, LocalTime at) {
        return cycle.StartQuote(model, row_index, at, {});
    }
    // Every feed the tick goes on to gets the same answer; true when the ticker changed.
    bool Finish(PendingQuote pending, const HttpAnswer& answer) {
        for (;;) {
            QuoteRound round = cycle.FinishQuote(pending, answer, model, {}, {});
            raised.insert(raised.end(), round.alerts.begin(), round.alerts.end());
            if (!round.next) {
                return round.shown;
            }
            pending = *round.next;
        }
    }
    bool Answer(LocalTime at, const HttpAnswer& answer) {
        const std::optional<PendingQuote> pending = Start(0, at);
        return pending && Finish(*pending, answer);
    }
    void Tick(LocalTime at, const std::string& last) {
        Answer(at, Answered(FeedRecord("浦发银行", "10.00", "10.01", "0.10", last)));
    }
};

TEST_F(RefreshRowTest, ShiftsOncePerTradingMinuteAndAlwaysKeepsTheLatest) {
    auto& h = row().entry->history;
    Tick(At(10, 0), "10.10");
    Tick(At(10, 0), "10.20");  // same minute: no second shift
    EXPECT_EQ(h[49], -1.0f);
    EXPECT_FLOAT_EQ(h[50], 10.20f);
    EXPECT_EQ(row().entry->minute_stamp, 600);

    Tick(At(10, 1), "10.30");
    EXPECT_FLOAT_EQ(h[49], 10.20f);
    EXPECT_FLOAT_EQ(h[50], 10.30f);

    Tick(At(12, 0), "10.40");  // lunch break: only the latest price moves
    Tick(At(12, 1), "10.50");
    EXPECT_FLOAT_EQ(h[48], -1.0f);
    EXPECT_FLOAT_EQ(h[49], 10.20f);
    EXPECT_FLOAT_EQ(h[50], 10.50f);
    EXPECT_EQ(row().entry->minute_stamp, 601);

    Tick(At(13, 0), "10.60");  // a stock shown again after a gap shifts once
    EXPECT_FLOAT_EQ(h[48], 10.20f);
    EXPECT_FLOAT_EQ(h[49], 10.50f);
    EXPECT_FLOAT_EQ(row().entry->previous_price, 10.60f);
    EXPECT_EQ(model.HistoryOf(ticker.stock), &h);
    EXPECT_FLOAT_EQ(ticker.reference_price, 10.0f);
}

TEST_F(RefreshRowTest, AMissingQuoteEntersZero) {
    // A price that is no number is a missing quote too: the ticker's chart reads the history.
    for (const char* last : {"", "nan", "1e309"}) {
        Answer(At(10, 5), Answered(*last ? FeedRecord("浦发银行", "10", "10", "0", last) : ""));
        EXPECT_EQ(row().entry->previous_price, 0.0f) << last;
        EXPECT_EQ(row().entry->history[50], 0.0f) << last;
        EXPECT_EQ(ticker.reference_price, -1.0f) << last;
    }
}

TEST_F(RefreshRowTest, NetworkTroubleLeavesTheEntryAndRaisesNoAlertAfterwards) {
    row().break_below = "9.50";
    Tick(At(10, 0), "10.10");
    const std::array<float, StockEntry::kHistorySize> before = row().entry->history;
    Answer(At(10, 1), HttpAnswer{});
    EXPECT_EQ(row().entry->history, before);
    EXPECT_FLOAT_EQ(row().entry->previous_price, 10.10f);
    EXPECT_EQ(ticker.text, "浦发银行 10.10 1.00%");
    EXPECT_EQ(ticker.tone, Tone::kStale);
    Tick(At(10, 2), "10.20");  // a price of 0 kept from the failure would cross 9.50 here
    EXPECT_TRUE(raised.empty());
}

TEST_F(RefreshRowTest, OneCheckAtATimeAndAnAnswerForADeletedRowIsDropped) {
    const std::optional<PendingQuote> pending = Start(0, At(10, 0));
    ASSERT_TRUE(pending);
    EXPECT_FALSE(Start(0, At(10, 0))) << "the first is still under way";
    ticker.text = "shown";
    model.RemoveRow(0);
    model.Append(WatchRow("600000", "", "", "", ""));  // a new row for the same code
    EXPECT_FALSE(Finish(*pending, Answered(FeedRecord("浦发银行", "10", "10", "0", "9"))));
    EXPECT_EQ(ticker.text, "shown");
    EXPECT_EQ(row().entry->previous_price, -1.0f);
    EXPECT_TRUE(Start(0, At(10, 0))) << "the next tick asks again";
}

TEST_F(RefreshRowTest, AnAnswerForACheckGivenUpIsDropped) {
    const std::optional<PendingQuote> abandoned = Start(0, At(10, 0));
    const std::optional<PendingQuote> stuck = cycle.under_way();
    ASSERT_TRUE(stuck);
    EXPECT_EQ(stuck->id, abandoned->id);
    ASSERT_TRUE(Finish(*stuck, HttpAnswer{}));  // given up
    EXPECT_FALSE(cycle.under_way());
    const std::optional<PendingQuote> next = Start(0, At(10, 1));
    const HttpAnswer late = Answered(FeedRecord("浦发银行", "10", "10", "0", "9"));
    EXPECT_FALSE(Finish(*abandoned, late));
    EXPECT_TRUE(cycle.quote_in_flight()) << "the late answer does not end the check under way";
    EXPECT_EQ(row().entry->previous_price, -1.0f);
}

TEST_F(RefreshRowTest, WhileAQuoteIsUnderWayTheRotationWaitsAndOnlyItsStockCountsAsShown) {
    model.Append(WatchRow("000001", "", "", "", ""));
    const uint64_t first = rows[0].entry->serial, second = rows[1].entry->serial;
    ASSERT_EQ(cycle.ChooseRow(2, "1"), 1);
    const std::optional<PendingQuote> pending = Start(1, At(10, 0));
    EXPECT_EQ(cycle.ChooseRow(2, "1"), 1) << "the feed is slow: the rotation waits";
    EXPECT_TRUE(cycle.Shows(rows, second));
    ASSERT_TRUE(Finish(*pending, HttpAnswer{}));
    EXPECT_EQ(cycle.ChooseRow(2, "1"), 0);
    EXPECT_FALSE(cycle.Shows(rows, second)) << "a late picture of the stock before";
    EXPECT_TRUE(cycle.Shows(rows, first));
}

// The card tells what the last check met, since when, and the last good quote.
TEST_F(RefreshRowTest, TheCardSaysWhatWentWrongAndSinceWhen) {
    row().break_below = "9.50";
    HttpAnswer refused;
    refused.failure = NetFailure::kRefused;
    struct Step {
        HttpAnswer answer;
        LocalTime at;
        std::vector<std::string> card;
    };
    const Step steps[] = {
        {refused,
         At(10, 0, 5),
         {"600000", "连接被拒绝", "自 10:00:05 起", "上次行情 无", "基本行情 连接被拒绝 自 10:00:05 起",
          "新浪 连接被拒绝 自 10:00:05 起", "腾讯 连接被拒绝 自 10:00:05 起",
          "东方财富 连接被拒绝 自 10:00:05 起", "下破 9.50", "第 1/1 只"}},
        {Answered(FeedRecord("浦发银行", "10.00", "10.02", "0.10", "10.10")),
         At(10, 1, 0),
         {"浦发银行 600000", "10.10  +0.10  +1.00%", "昨收 10.00  今开 10.02", "时间 10:01:00",
          "来源 基本行情", "下破 9.50", "第 1/1 只", "固定中，其他股票暂停提醒"}},
        {HttpAnswer{true, 500, ""},
         At(10, 2, 0),
         {"浦发银行 600000", "服务器返回 HTTP 500", "自 10:02:00 起", "上次行情 10:01:00",
          "基本行情 服务器返回 HTTP 500 自 10:02:00 起", "新浪 连接被拒绝 自 10:00:05 起",
          "腾讯 连接被拒绝 自 10:00:05 起", "东方财富 连接被拒绝 自 10:00:05 起", "下破 9.50",
          "第 1/1 只"}},
        {HttpAnswer{},
         At(10, 3, 0),
         {"浦发银行 600000", "连接超时", "自 10:02:00 起", "上次行情 10:01:00",
          "基本行情 连接超时 自 10:02:00 起", "新浪 连接被拒绝 自 10:00:05 起",
          "腾讯 连接被拒绝 自 10:00:05 起", "东方财富 连接被拒绝 自 10:00:05 起", "下破 9.50",
          "第 1/1 只"}},
        {Answered(std::string(50, 'x')),
         At(10, 4, 0),
         {"浦发银行 600000", "应答不是行情", "自 10:02:00 起", "上次行情 10:01:00",
          "来源 基本行情", "下破 9.50", "第 1/1 只"}},
    };
    for (const Step& step : steps) {
        Answer(step.at, step.answer);
        std::vector<std::string> card;
        const bool held = step.card.back() == "固定中，其他股票暂停提醒";
        for (const CardLine& line : QuoteCardLines(row(), 0, 1, held, cycle.router())) {
            card.push_back(line.text);
        }
        EXPECT_EQ(card, step.card) << step.card[1];
    }
}

TEST(RefreshCycle, AHoldAWheelStepAndAnOpenCardKeepTheRotationOnTheirStock) {
    using namespace std::chrono_literals;
    RefreshCycle cycle{MakeFeeds({}), false};
    const RefreshCycle::TimePoint t0{1h};
    cycle.set_held(true);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cycle.ChooseRow(3, "1", t0), 0) << "held";
    }
    EXPECT_EQ(cycle.Step(3, -1, t0 + 10s), 2) << "the wheel moves the hold, round the list";
    cycle.set_held(false);
    EXPECT_EQ(cycle.ChooseRow(3, "1", t0 + 9s), 2) << "10 s on the stock stepped to";
    EXPECT_EQ(cycle.ChooseRow(3, "1", t0 + 10s), 0);
    cycle.set_paused(true);
    EXPECT_EQ(cycle.ChooseRow(3, "1", t0 + 12s), 0) << "the card is open";
}

// The ticker shows a stock until the next one's answer is in: a hold in between holds the stock
// shown, and the answer that was out does not replace it.
TEST_F(RefreshRowTest, AHoldWhileTheNextAnswerIsOutHoldsTheStockShown) {
    model.Append(WatchRow("000001", "", "", "", ""));
    Tick(At(10, 0), "10.10");
    ASSERT_EQ(cycle.ChooseRow(2, "1"), 1);
    const std::optional<PendingQuote> next = Start(1, At(10, 0));
    ASSERT_TRUE(next);
    cycle.HoldOn(static_cast<int>(*model.Find(cycle.shown_entry())));
    EXPECT_FALSE(Finish(*next, Answered(FeedRecord("平安银行", "9", "9", "0", "9"))));
    EXPECT_EQ(ticker.text, "浦发银行 10.10 1.00%");
    EXPECT_EQ(cycle.shown_entry(), row().entry->serial);
    EXPECT_EQ(cycle.ChooseRow(2, "1"), 0);
}

TEST_F(RefreshRowTest, RowTextsAreReadAfreshOnEveryCheck) {
    row().break_below = "10.2";
    Tick(At(10, 0), "10.10");
    EXPECT_TRUE(ticker.flags.break_below);
    row().break_below = "abc";  // edited to something that is not a number: the rule is off
    Tick(At(10, 0), "10.10");
    EXPECT_FALSE(ticker.flags.break_below);
}

TEST(EmptyListState, IsWhiteHintWithoutMarkers) {
    TickerState ticker;
    ticker.flags = {true, true, true, true};
    ticker.tone = Tone::kUp;
    SetEmptyListState(ticker);
    EXPECT_EQ(ticker.text, "请加入股票.");
    EXPECT_EQ(ticker.tone, Tone::kMissing);
    EXPECT_EQ(ticker.flags, DisplayFlags{});
}

}  // namespace
}  // namespace tickra
