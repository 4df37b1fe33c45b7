#include <gtest/gtest.h>

#include "unit/test_support.h"
#include "watch/quote.h"

namespace tickra {
namespace {

using testing::FeedRecord;

TEST(FeedCode, MarketPrefixFollowsTheFirstDigit) {
    const std::pair<const char*, const char*> cases[] = {
        {"600000", "0600000"}, {"000001", "1000001"}, {"510050", "0510050"},
        {"300001", "1300001"}, {"1A0001", "0000001"}, {"", "1"},
    };
    for (auto [code, feed] : cases) {
        EXPECT_EQ(FeedCode(code), feed) << code;
    }
}

TEST(QuoteObjectName, IsTimeQuestionMarkAndFeedCode) {
    EXPECT_EQ(QuoteObjectName(testing::At(14, 30, 5), "0600000"), "143005?0600000");
    EXPECT_EQ(QuoteObjectName(testing::At(9, 0, 0), "1000001"), "090000?1000001");
}

TEST(ParseQuote, SortsResponsesIntoMissingSuspendedAndGood) {
    const std::string good = FeedRecord("浦发银行", "10.000", "10.050", "0.250", "10.250");
    struct Case {
        const char* what;
        std::string response;
        Quote::Kind kind;
    };
    const Case cases[] = {
        {"empty", "", Quote::Kind::kMissing},
        {"exactly 50 bytes", "'a;b;10;10;;;;0;;;10;" + std::string(29, ' '), Quote::Kind::kMissing},
        {"51 bytes", "'a;b;10;10;;;;0;;;10;" + std::string(30, ' '), Quote::Kind::kGood},
        {"no apostrophe", std::string(80, 'x'), Quote::Kind::kMissing},
        {"ten fields", "'a;b;c;d;e;f;g;h;i;j'" + std::string(40, ' '), Quote::Kind::kMissing},
        {"opening 0.000", FeedRecord("x", "10", "0.000", "0", "10"), Quote::Kind::kSuspended},
        {"opening 0.00 is trading", FeedRecord("x", "10", "0.00", "0", "10"), Quote::Kind::kGood},
        {"good", good, Quote::Kind::kGood},
        {"no closing apostrophe", good.substr(0, good.find("end")), Quote::Kind::kGood},
        // An apostrophe can be no trail byte: after a lone lead byte it still opens the record.
        {"apostrophe after a lone lead byte", "\x81'" + std::string(60, ';'), Quote::Kind::kGood},
        {"record ends inside a character", "'a;b;1;1;;;;0;;;1;\x81" + std::string(40, ' '),
         Quote::Kind::kGood},
        {"last price 1e309", FeedRecord("x", "10", "10", "0", "1e309"), Quote::Kind::kMissing},
        {"last price -inf", FeedRecord("x", "10", "10", "0", "-inf"), Quote::Kind::kMissing},
        {"last price nan", FeedRecord("x", "10", "10", "0", "nan"), Quote::Kind::kMissing},
        {"last price beyond a float", FeedRecord("x", "10", "10", "0", "1e39"),
         Quote::Kind::kMissing},
        {"previous close inf", FeedRecord("x", "inf", "10", "0", "10"), Quote::Kind::kMissing},
        {"change nan", FeedRecord("x", "10", "10", "nan", "10"), Quote::Kind::kMissing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseQuote(c.response, "0600000").kind, c.kind) << c.what;
    }
}

TEST(ParseQuote, AnAnswerNamingAnotherFeedCodeIsMissing) {
    // FeedRecord begins "var hq_str=": the record with a feed code named before it.
    auto named = [](const std::string& head) {
        return head + FeedRecord("x", "10", "10", "0", "10").substr(10);
    };
    struct Case {
        std::string response;
        const char* asked;
        Quote::Kind kind;
    };
    const Case cases[] = {
        {named("var hq_str_0600000"), "0600000", Quote::Kind::kGood},
        {named("var hq_str_0600519"), "0600000", Quote::Kind::kMissing},
        {named("var hq_str_11a0002"), "11A0002", Quote::Kind::kGood},
        {named("var hq_str_x"), "0600000", Quote::Kind::kGood},  // names no code
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseQuote(c.response, c.asked).kind, c.kind) << c.response.substr(0, 20);
    }
}

TEST(ParseQuote, TakesNameNumbersAndTheLastPriceTextAsReceived) {
    const Quote q =
        ParseQuote(FeedRecord("浦发银行", "10.000", "10.050", "0.250", "10.250"), "0600000");
    EXPECT_EQ(q.name, "浦发银行");
    EXPECT_EQ(q.last_text, "10.250");
    EXPECT_FLOAT_EQ(q.previous_close, 10.0f);
    EXPECT_FLOAT_EQ(q.change, 0.25f);
    EXPECT_FLOAT_EQ(q.price, 10.25f);

    // A name cut after a lead byte: the separator after it is still a separator.
    const Quote odd =
        ParseQuote(FeedRecord("浦发\xD2", "10.000", "10.050", "0.250", "10.250"), "0600000");
    EXPECT_EQ(odd.name, "浦发\xD2");
    EXPECT_FLOAT_EQ(odd.previous_close, 10.0f);
    EXPECT_FLOAT_EQ(odd.price, 10.25f);

    // A hostile name loses its line breaks and is cut on a character's boundary.
    std::string long_name = "浦发\r\n银行";
    for (int i = 0; i < 1500; ++i) {
        long_name += "银";
    }
    const Quote hostile =
        ParseQuote(FeedRecord(long_name, "10.000", "10.050", "0.250", "10.25\r\n"), "0600000");
    EXPECT_EQ(hostile.name, "浦发银行银银银银银银银银银银银银");
    EXPECT_EQ(hostile.last_text, "10.25");
}

}  // namespace
}  // namespace tickra
