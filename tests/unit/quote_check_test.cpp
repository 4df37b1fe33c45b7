#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/test_support.h"
#include "watch/quote_check.h"

namespace tickra {
namespace {

using testing::At;
using testing::FeedRecord;
using testing::RecordingSink;

struct Request {
    std::string body, verb, host, object;
};

// A feed that answers from a script and records what it was asked.
struct FakeFeed {
    std::string response;
    std::vector<Request> requests;
    HttpFunction Function() {
        return [this](std::string_view body, std::string_view verb, std::string_view host,
                      std::string_view object) {
            requests.push_back(
                {std::string(body), std::string(verb), std::string(host), std::string(object)});
            return response;
        };
    }
};

struct QuoteCheckTest : ::testing::Test {
    FakeFeed feed;
    LocalTime now = At(14, 30, 5);
    QuoteChecker checker{feed.Function(), "quotes.test", [this] { return now; }, false};
    TickerState ticker;
    float reference = -1.0f;
    RecordingSink sink;

    float Check(const std::string& code, float previous_price = -1.0f) {
        QuoteCheckRequest request;
        request.code = code;
        request.previous_price = previous_price;
        return checker.Check(request, ticker, reference, sink);
    }
};

TEST_F(QuoteCheckTest, AsksTheFeedForTheUpperCasedCode) {
    Check("1a0001");
    ASSERT_EQ(feed.requests.size(), 1u);
    EXPECT_EQ(feed.requests[0].verb, "GET");
    EXPECT_EQ(feed.requests[0].body, "");
    EXPECT_EQ(feed.requests[0].host, "quotes.test");
    EXPECT_EQ(feed.requests[0].object, "143005?0000001");
    EXPECT_EQ(ticker.text, "1A0001 代码有误.");
}

TEST_F(QuoteCheckTest, TickerTextAndColourFollowTheQuote) {
    struct Case {
        const char* what;
        std::string response;
        std::string text;
        Colour colour;
        float price, reference;
    };
    const Case cases[] = {
        {"unchanged", FeedRecord("浦发银行", "10.00", "10.01", "0.00", "10.00"),
         "浦发银行 10.00 0.00%", kWhite, 10.0f, 10.0f},
        {"up", FeedRecord("浦发银行", "10.00", "10.01", "0.01", "10.01"), "浦发银行 10.01 0.10%",
         kRed, 10.01f, 10.0f},
        {"down", FeedRecord("浦发银行", "10.00", "10.01", "-0.01", "9.99"), "浦发银行 9.99 -0.10%",
         kGreen, 9.99f, 10.0f},
        {"change -0.050 on 10.000", FeedRecord("浦发银行", "10.000", "9.9", "-0.050", "9.950"),
         "浦发银行 9.950 -0.50%", kGreen, 9.95f, 10.0f},
        {"last price as received", FeedRecord("浦发银行", "10.000", "10", "0.250", "10.250"),
         "浦发银行 10.250 2.50%", kRed, 10.25f, 10.0f},
        {"suspended", FeedRecord("浦发银行", "10.00", "0.000", "0", "0"), "600000 停牌.", kWhite,
         0.0f, 7.0f},
        {"short body", "var hq_str='';", "600000 代码有误.", kWhite, 0.0f, 7.0f},
        {"nothing received", "", "600000 代码有误.", kWhite, 0.0f, 7.0f},
    };
    for (const Case& c : cases) {
        feed.response = c.response;
        reference = 7.0f;
        EXPECT_FLOAT_EQ(Check("600000"), c.price) << c.what;
        EXPECT_EQ(ticker.text, c.text) << c.what;
        EXPECT_EQ(ticker.colour, c.colour) << c.what;
        EXPECT_FLOAT_EQ(reference, c.reference) << c.what;
    }
}

TEST_F(QuoteCheckTest, FirstCheckComparesWithTheCloseThenWithTheLastPrice) {
    QuoteCheckRequest request;
    request.code = "600000";
    request.break_below = 9.5f;
    feed.response = FeedRecord("浦发银行", "10.00", "9.9", "-0.60", "9.40");
    request.previous_price = -1.0f;
    const float first = checker.Check(request, ticker, reference, sink);
    EXPECT_EQ(sink.raised.size(), 1u);
    request.previous_price = first;
    feed.response = FeedRecord("浦发银行", "10.00", "9.9", "-0.70", "9.30");
    checker.Check(request, ticker, reference, sink);
    EXPECT_EQ(sink.raised.size(), 1u) << "9.40 to 9.30 is no crossing";
    EXPECT_TRUE(ticker.flags.break_below);
}

TEST_F(QuoteCheckTest, FlagsAreClearedOnEveryCheck) {
    ticker.flags = {true, true, true, true};
    feed.response = FeedRecord("浦发银行", "10.00", "10.01", "0.01", "10.01");
    Check("600000");
    EXPECT_EQ(ticker.flags, DisplayFlags{});
}

TEST_F(QuoteCheckTest, LongTickerTextIsCutWithoutSplittingACharacter) {
    // Two single bytes, then double-byte characters: byte 99 is the first half of one.
    feed.response = FeedRecord("xy" + std::string(120, '\xB0'), "10", "10", "0", "10");
    Check("600000");
    EXPECT_EQ(ticker.text, "xy" + std::string(96, '\xB0'));
}

}  // namespace
}  // namespace tickra
