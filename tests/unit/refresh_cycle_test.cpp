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
         {"600000", "连接被拒绝", "自 10:00:05 起", "上次行情 无",
          "基本行情 连接被拒绝 自 10:00:05 起", "新浪 连接被拒绝 自 10:00:05 起",
          "腾讯 连接被拒绝 自 10:00:05 起", "东方财富 连接被拒绝 自 10:00:05 起", "下破 9.50",
          "第 1/1 只"}},
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
         {"浦发银行 600000", "应答不是行情", "自 10:02:00 起", "上次行情 10:01:00", "来源 基本行情",
          "下破 9.50", "第 1/1 只"}},
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

TEST(FeedOrder, KeepsTheFeedsNamedOnceAndAddsTheOthersInTheirOrder) {
    using enum FeedId;
    const std::pair<const char*, FeedOrder> cases[] = {
        {"", {kClassic, kSina, kTencent, kEastmoney}},
        {"eastmoney,tencent,sina,classic", {kEastmoney, kTencent, kSina, kClassic}},
        {" tencent ,\teastmoney", {kTencent, kEastmoney, kClassic, kSina}},
        {"sina,sina,bogus,,eastmoney", {kSina, kEastmoney, kClassic, kTencent}},
    };
    for (const auto& [text, order] : cases) {
        EXPECT_EQ(ParseFeedOrder(text), order) << text;
        EXPECT_EQ(ParseFeedOrder(FeedOrderText(order)), order) << text;
    }
}

TEST(FeedRouter, AFailedFeedWaitsLongerEachTimeUntilItAnswersAndAChoiceIsAskedAtOnce) {
    using namespace std::chrono_literals;
    FeedRouter router;
    const FeedRouter::TimePoint t0{1h};
    FeedRouter::TimePoint at = t0;
    for (const auto wait : {60s, 120s, 240s, 480s, 600s, 600s}) {
        router.Failed(FeedId::kClassic, QuoteTrouble::kRefused, 0, "10:00:00", at);
        EXPECT_EQ(router.Next(0, at + wait - 1s), FeedId::kSina) << wait.count();
        EXPECT_EQ(router.Next(0, at + wait), FeedId::kClassic) << wait.count();
        at += wait;
    }
    EXPECT_EQ(router.health(FeedId::kClassic).since, "10:00:00");
    router.Answered(FeedId::kClassic, 0, at, testing::At(10, 0));
    router.Failed(FeedId::kClassic, QuoteTrouble::kTimedOut, 0, "10:30:00", at);
    EXPECT_EQ(router.Next(0, at + 60s), FeedId::kClassic) << "an answer ends the long waits";
    EXPECT_EQ(router.health(FeedId::kClassic).since, "10:30:00");

    router.Failed(FeedId::kTencent, QuoteTrouble::kStale, 0, "10:30:00", at);
    router.Choose(FeedId::kTencent);
    EXPECT_EQ(router.order(),
              (FeedOrder{FeedId::kTencent, FeedId::kClassic, FeedId::kSina, FeedId::kEastmoney}));
    EXPECT_EQ(router.Next(0, at), FeedId::kTencent) << "chosen: asked even while it waits";
    for (FeedId feed : kDefaultFeedOrder) {
        router.Failed(feed, QuoteTrouble::kRefused, 0, "10:31:00", at);
    }
    EXPECT_EQ(router.Next(0, at), FeedId::kTencent) << "all wait: the first choice all the same";
    EXPECT_EQ(router.Next(FeedRouter::Bit(FeedId::kTencent), at), std::nullopt);
}

TEST(FeedRouter, AFeedWhoseTimeStopsIsStaleInTradingTimeOnWeekdays) {
    using namespace std::chrono_literals;
    const auto day = [](int weekday, int hour, int minute) {
        LocalTime time = testing::At(hour, minute);
        time->tm_wday = weekday;
        return time;
    };
    struct Case {
        const char* what;
        int64_t first, later;
        LocalTime at;
        bool fresh_after_59s, fresh_after_60s;
    };
    const Case cases[] = {
        {"frozen on a Wednesday morning", 100, 100, day(3, 10, 0), true, false},
        {"moving", 100, 101, day(3, 10, 0), true, true},
        {"frozen at lunch", 100, 100, day(3, 12, 0), true, true},
        {"frozen on a Saturday", 100, 100, day(6, 10, 0), true, true},
        {"a feed without times", 0, 0, day(3, 10, 0), true, true},
    };
    for (const Case& c : cases) {
        FeedRouter router;
        const FeedRouter::TimePoint t0{1h};
        EXPECT_TRUE(router.Answered(FeedId::kSina, c.first, t0, c.at)) << c.what;
        EXPECT_EQ(router.Answered(FeedId::kSina, c.first, t0 + 59s, c.at), c.fresh_after_59s)
            << c.what;
        EXPECT_EQ(router.Answered(FeedId::kSina, c.later, t0 + 60s, c.at), c.fresh_after_60s)
            << c.what;
    }
}

// A record of the 新浪 feed: name, open, previous close, last, then filler up to its date and time.
std::string SinaLine(const std::string& code, const std::string& name, const std::string& close,
                     const std::string& last) {
    std::string record = name + "," + close + "," + close + "," + last;
    for (int i = 4; i < 30; ++i) {
        record += ",1.000";
    }
    return "var hq_str_" + code + "=\"" + record + ",2008-08-08,10:00:00,00\";\n";
}

TEST_F(RefreshRowTest, AFailedFeedHandsTheTickToTheNextWhichChecksEveryStockOfTheList) {
    model.Append(WatchRow("000001", "9.50", "", "", ""));
    model.Append(WatchRow("1a0001", "", "", "", ""));
    HttpAnswer refused;
    refused.failure = NetFailure::kRefused;
    const std::optional<PendingQuote> classic = Start(0, At(10, 0, 5));
    ASSERT_TRUE(classic);
    EXPECT_EQ(classic->request.object, "100005?0600000");
    const QuoteRound round = cycle.FinishQuote(*classic, refused, model, {}, {});
    ASSERT_TRUE(round.next);
    EXPECT_EQ(round.next->feed, FeedId::kSina);
    EXPECT_EQ(round.next->request.object, "/list=sh600000,sz000001,sh000001");
    EXPECT_EQ(round.next->request.headers, "Referer: https://finance.sina.com.cn/\r\n");

    // The index is one the feed does not know: it stays as it was, with the first choice's trouble.
    EXPECT_TRUE(Finish(*round.next, Answered(SinaLine("sh600000", "浦发银行", "10.000", "10.100") +
                                             SinaLine("sz000001", "平安银行", "10.000", "9.400") +
                                             "var hq_str_sh000001=\"\";\n")));
    EXPECT_EQ(ticker.text, "浦发银行 10.100 1.00%");
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].line, "价格下破：平安银行设定价是9.500元,当前9.400元");
    EXPECT_FLOAT_EQ(rows[1].entry->history[StockEntry::kLatest], 9.4f);
    EXPECT_EQ(rows[2].entry->facts.trouble, QuoteTrouble::kRefused);
    std::vector<std::string> card;
    for (const CardLine& line : QuoteCardLines(row(), 0, 3, true, cycle.router())) {
        card.push_back(line.text);
    }
    EXPECT_EQ(card,
              (std::vector<std::string>{"浦发银行 600000", "10.100  +0.10  +1.00%",
                                        "昨收 10.000  今开 10.000", "时间 10:00:05", "来源 新浪",
                                        "基本行情 连接被拒绝 自 10:00:05 起", "第 1/3 只"}));
}

TEST_F(RefreshRowTest, AListLongerThanARequestIsCoveredOverTheNextTicks) {
    for (int i = 1; i < 150; ++i) {
        model.Append(WatchRow(std::to_string(600000 + i), "", "", "", ""));
    }
    cycle.router().Choose(FeedId::kSina);
    const std::optional<PendingQuote> first = Start(5, At(10, 0));
    ASSERT_EQ(first->codes.size(), 100u);
    EXPECT_EQ(first->codes[0], "600005");
    EXPECT_EQ(first->codes[1], "600000") << "the others from the list's start, the first time";
    EXPECT_EQ(first->codes[99], "600099");
    Finish(*first, Answered(SinaLine("sh600005", "x", "10", "10")));
    const std::optional<PendingQuote> second = Start(6, At(10, 0));
    ASSERT_EQ(second->codes.size(), 100u);
    EXPECT_EQ(second->codes[0], "600006");
    EXPECT_EQ(second->codes[1], "600100") << "where the last request's others ended";
}

}  // namespace
}  // namespace tickra
