#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/mbcs.h"
#include "unit/test_support.h"
#include "watch/quote_check.h"

namespace tickra {
namespace {

using testing::At;
using testing::FeedRecord;
using testing::Titles;

struct QuoteCheckTest : ::testing::Test {
    LocalTime now = At(14, 30, 5);
    std::unique_ptr<QuoteFeed> feed = MakeFeed(FeedId::kClassic, {});
    TipLists tips;
    TickerState ticker;
    float reference = -1.0f;
    std::vector<Alert> raised;

    // The check of the classic feed's answer, applied as the refresh cycle applies it.
    QuoteOutcome Apply(const QuoteCheckRequest& request, const HttpAnswer& answer) {
        StockAnswer stock{std::nullopt, TroubleOf(answer), answer.status};
        if (answer.ok()) {
            const std::string code = UpperCaseMbcs(request.code);
            const FeedQuotes told = feed->Parse(answer.body, {&code, 1});
            stock = {told.quotes.count(code) ? told.quotes.at(code) : Quote{}};
        }
        QuoteOutcome outcome = CheckQuote(request, stock, now, tips);
        ticker.text = outcome.line;
        ticker.tone = outcome.tone;
        ticker.flags = outcome.flags;
        reference = outcome.reference_price.value_or(reference);
        raised.insert(raised.end(), outcome.alerts.begin(), outcome.alerts.end());
        return outcome;
    }
    float Check(const std::string& code, const HttpAnswer& answer, float previous_price = -1.0f,
                const std::string& last_good_line = "") {
        QuoteCheckRequest request;
        request.code = code;
        request.previous_price = previous_price;
        request.last_good_line = last_good_line;
        return Apply(request, answer).price;
    }
    float Check(const std::string& code, const std::string& body) {
        return Check(code, Answered(body));
    }
};

TEST_F(QuoteCheckTest, AsksTheFeedForTheUpperCasedCode) {
    const std::string code = "1A0001";
    EXPECT_EQ(feed->Request({&code, 1}, now).object, "143005?0000001");
    Check("1a0001", "");
    EXPECT_EQ(ticker.text, "1A0001 代码有误.");
}

TEST_F(QuoteCheckTest, TickerTextAndColourFollowTheQuote) {
    struct Case {
        const char* what;
        std::string response;
        std::string text;
        Tone tone;
        float price, reference;
    };
    const Case cases[] = {
        {"unchanged", FeedRecord("浦发银行", "10.00", "10.01", "0.00", "10.00"),
         "浦发银行 10.00 0.00%", Tone::kUnchanged, 10.0f, 10.0f},
        {"up", FeedRecord("浦发银行", "10.00", "10.01", "0.01", "10.01"), "浦发银行 10.01 0.10%",
         Tone::kUp, 10.01f, 10.0f},
        {"down", FeedRecord("浦发银行", "10.00", "10.01", "-0.01", "9.99"), "浦发银行 9.99 -0.10%",
         Tone::kDown, 9.99f, 10.0f},
        {"change -0.050 on 10.000", FeedRecord("浦发银行", "10.000", "9.9", "-0.050", "9.950"),
         "浦发银行 9.950 -0.50%", Tone::kDown, 9.95f, 10.0f},
        {"last price as received", FeedRecord("浦发银行", "10.000", "10", "0.250", "10.250"),
         "浦发银行 10.250 2.50%", Tone::kUp, 10.25f, 10.0f},
        {"suspended", FeedRecord("浦发银行", "10.00", "0.000", "0", "0"), "600000 停牌.",
         Tone::kUnchanged, 0.0f, 7.0f},
        {"short body", "var hq_str='';", "600000 代码有误.", Tone::kMissing, 0.0f, 7.0f},
        {"nothing received", "", "600000 代码有误.", Tone::kMissing, 0.0f, 7.0f},
    };
    for (const Case& c : cases) {
        reference = 7.0f;
        EXPECT_FLOAT_EQ(Check("600000", c.response), c.price) << c.what;
        EXPECT_EQ(ticker.text, c.text) << c.what;
        EXPECT_EQ(ticker.tone, c.tone) << c.what;
        EXPECT_FLOAT_EQ(reference, c.reference) << c.what;
    }
}

TEST_F(QuoteCheckTest, NetworkTroubleIsNotAWrongCode) {
    struct Case {
        const char* what;
        HttpAnswer answer;
        std::string last_good_line, text;
        Tone tone;
        bool reached;
    };
    const std::string record = FeedRecord("浦发银行", "10.00", "10.01", "0.01", "10.01");
    const Case cases[] = {
        {"no connection", HttpAnswer{}, "", "600000 网络不通.", Tone::kStale, false},
        {"cut off", HttpAnswer{false, 200, ""}, "浦发银行 10.01 0.10%", "浦发银行 10.01 0.10%",
         Tone::kStale, false},
        {"error status", HttpAnswer{true, 503, record}, "", "600000 网络不通.", Tone::kStale,
         false},
        {"a complete short answer", Answered("var hq_str='';"), "浦发银行 10.01 0.10%",
         "600000 代码有误.", Tone::kMissing, true},
    };
    for (const Case& c : cases) {
        reference = 7.0f;
        ticker.flags = {true, true, true, true};
        QuoteCheckRequest request;
        request.code = "600000";
        request.last_good_line = c.last_good_line;
        const QuoteOutcome outcome = Apply(request, c.answer);
        EXPECT_EQ(outcome.reached, c.reached) << c.what;
        EXPECT_EQ(ticker.text, c.text) << c.what;
        EXPECT_EQ(ticker.tone, c.tone) << c.what;
        EXPECT_EQ(ticker.flags, DisplayFlags{}) << c.what;
        EXPECT_FLOAT_EQ(reference, 7.0f) << c.what;
    }
}

TEST_F(QuoteCheckTest, FirstCheckComparesWithTheCloseThenWithTheLastPrice) {
    QuoteCheckRequest request;
    request.code = "600000";
    request.break_below = 9.5f;
    request.previous_price = -1.0f;
    const float first =
        Apply(request, Answered(FeedRecord("浦发银行", "10.00", "9.9", "-0.60", "9.40"))).price;
    EXPECT_EQ(raised.size(), 1u);
    request.previous_price = first;
    Apply(request, Answered(FeedRecord("浦发银行", "10.00", "9.9", "-0.70", "9.30")));
    EXPECT_EQ(raised.size(), 1u) << "9.40 to 9.30 is no crossing";
    EXPECT_TRUE(ticker.flags.break_below);
}

TEST_F(QuoteCheckTest, ARecordThatIsNoPriceOfThisStockIsAMissingQuote) {
    const std::string other_stock =
        "var hq_str_0600519" +
        FeedRecord("贵州茅台", "1700.00", "1700", "100", "1800.00").substr(10);
    const std::pair<const char*, std::string> cases[] = {
        {"1e309", FeedRecord("浦发银行", "10.000", "10.05", "0.25", "1e309")},
        {"-inf", FeedRecord("浦发银行", "10.000", "10.05", "-0.25", "-inf")},
        {"nan", FeedRecord("浦发银行", "10.000", "10.05", "0.25", "nan")},
        {"another stock", other_stock},
    };
    for (const auto& [what, response] : cases) {
        raised.clear();
        reference = 7.0f;
        QuoteCheckRequest request;
        request.code = "600000";
        request.break_below = 9.5f;
        request.cross_above = 10.2f;
        request.previous_price = 10.0f;
        const QuoteOutcome outcome = Apply(request, Answered(response));
        EXPECT_EQ(outcome.price, 0.0f) << what;
        EXPECT_EQ(ticker.text, "600000 代码有误.") << what;
        EXPECT_TRUE(raised.empty()) << what;
        EXPECT_EQ(reference, 7.0f) << what;
        // The price kept is 0, as after any missing quote, so the next crossing still fires.
        request.previous_price = outcome.price;
        Apply(request, Answered(FeedRecord("浦发银行", "10.000", "10.3", "0.3", "10.300")));
        EXPECT_EQ(Titles(raised), std::vector<std::string>{"到价提示"}) << what;
    }
}

TEST_F(QuoteCheckTest, FlagsAreClearedOnEveryCheck) {
    ticker.flags = {true, true, true, true};
    Check("600000", FeedRecord("浦发银行", "10.00", "10.01", "0.01", "10.01"));
    EXPECT_EQ(ticker.flags, DisplayFlags{});
}

TEST_F(QuoteCheckTest, ALongNameIsCutWithoutSplittingACharacter) {
    // One single byte, then double-byte characters: byte 32 of the name is the first half of one.
    Check("600000", FeedRecord("x" + std::string(120, '\xB0'), "10", "10", "0", "10"));
    EXPECT_EQ(ticker.text, "x" + std::string(30, '\xB0') + " 10 0.00%");
}

}  // namespace
}  // namespace tickra
