#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "watch/eastmoney_feed.h"
#include "watch/sina_feed.h"
#include "watch/tencent_feed.h"

namespace tickra {
namespace {

using Kind = Quote::Kind;

std::string Utf8ToGbk(std::string_view utf8) {
#ifdef _WIN32
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(),
                                    int(wide.size())));
    std::string gbk(wide.size() * 2, '\0');
    gbk.resize(WideCharToMultiByte(936, 0, wide.data(), int(wide.size()), gbk.data(),
                                   int(gbk.size()), nullptr, nullptr));
    return gbk;
#else
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string in(utf8), out(utf8.size() * 2, '\0');
    char *from = in.data(), *to = out.data();
    size_t left = in.size(), room = out.size();
    iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
#endif
}

const SinaFeed kSina;
const TencentFeed kTencent;
const EastmoneyFeed kEastmoney(Utf8ToGbk);

std::string Sample(const char* name) {
    std::ifstream file(std::string(TICKRA_FEED_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(MarketCode, SixDigitsByMarketAndNothingElse) {
    const std::pair<const char*, const char*> cases[] = {
        {"600000", "sh600000"},
        {"510050", "sh510050"},
        {"900901", "sh900901"},
        {"000001", "sz000001"},
        {"300750", "sz300750"},
        {"200002", "sz200002"},
        {"430047", "bj430047"},
        {"830799", "bj830799"},
        {"920001", "bj920001"},
        {"910001", "sz910001"},
        {"1A0001", "sh000001"},
        {"60000", ""},
        {"6000000", ""},
        {"60000&", ""},
        {"60000 ", ""},
        {"6000\xB0\xA1", ""},
        {"", ""},
    };
    for (auto [code, market] : cases) {
        EXPECT_EQ(MarketCode(code), market) << code;
    }
}

TEST(BatchFeeds, RequestNamesEveryCodeWithAMarketCode) {
    const std::vector<std::string> codes{"600000", "1A0001", "6000&1", "830799"};
    struct Case {
        const QuoteFeed& feed;
        const char* object;
        const char* headers;
    };
    const Case cases[] = {
        {kSina, "/list=sh600000,sh000001,bj830799", "Referer: https://finance.sina.com.cn/\r\n"},
        {kTencent, "/q=sh600000,sh000001,bj830799", ""},
        {kEastmoney,
         "/api/qt/ulist.np/get?fltt=2&np=1&secids=1.600000,1.000001,0.830799"
         "&fields=f1,f2,f12,f13,f14,f17,f18,f124",
         ""},
    };
    for (const Case& c : cases) {
        const FeedRequest request = c.feed.Request(codes, {});
        EXPECT_EQ(request.object, c.object);
        EXPECT_EQ(request.headers, c.headers);
        EXPECT_EQ(c.feed.max_codes(), 100u);
    }
}

struct Expected {
    const char* code;
    Kind kind;
    const char* name = "";
    const char* last = "";
    const char* previous_close = "";
    const char* open = "";
};

void ExpectQuotes(const FeedQuotes& got, const std::vector<Expected>& expected, size_t count) {
    EXPECT_EQ(got.quotes.size(), count);
    for (const Expected& e : expected) {
        const auto found = got.quotes.find(e.code);
        ASSERT_NE(found, got.quotes.end()) << e.code;
        const Quote& q = found->second;
        EXPECT_EQ(q.kind, e.kind) << e.code;
        EXPECT_EQ(q.name, e.name) << e.code;
        EXPECT_EQ(q.last_text, e.last) << e.code;
        EXPECT_EQ(q.previous_close_text, e.previous_close) << e.code;
        EXPECT_EQ(q.open_text, e.open) << e.code;
        if (q.kind == Kind::kGood) {
            EXPECT_FLOAT_EQ(q.change, q.price - q.previous_close) << e.code;
        }
    }
}

TEST(BatchFeeds, ReadTheirAnswersByTheCodeAsked) {
    // 600001 is unknown to every feed; 600519 is answered but not asked.
    const std::vector<std::string> codes{"600000", "1A0001", "000002", "600001",
                                         "300999", "830799", "688981"};
    struct Case {
        const QuoteFeed& feed;
        const char* sample;
        std::vector<Expected> expected;
        size_t count;
        int64_t newest;
    };
    const Case cases[] = {
        {kSina,
         "sina.txt",
         {{"600000", Kind::kGood, "浦发银行", "10.250", "10.000", "10.050"},
          {"1A0001", Kind::kGood, "上证指数", "3361.789", "3342.456", "3350.123"},
          {"000002", Kind::kSuspended}},
         3,
         20261209143005},
        // The second name's "瓇" ends in "~", the feed's separator.
        {kTencent,
         "tencent.txt",
         {{"600000", Kind::kGood, "浦发银行", "10.25", "10.00", "10.05"},
          {"300999", Kind::kGood, "金瓇科技", "21.50", "21.00", "21.10"},
          {"1A0001", Kind::kGood, "上证指数", "3361.79", "3342.46", "3350.12"},
          {"000002", Kind::kSuspended}},
         4,
         20261209143007},
        {kEastmoney,
         "eastmoney.json",
         // f1 gives back the decimals JSON numbers lose: "10.0" is "10.00".
         {{"600000", Kind::kGood, "浦发银行", "10.25", "10.00", "10.05"},
          {"1A0001", Kind::kGood, "上证指数", "3361.79", "3342.46", "3350.12"},
          {"000002", Kind::kSuspended},
          {"830799", Kind::kGood, "艾融软件", "15.80", "15.52", "15.60"},
          {"688981", Kind::kMissing}},  // no opening price: "-"
         5,
         1796797808},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        const FeedQuotes got = c.feed.Parse(Sample(c.sample), codes);
        EXPECT_TRUE(got.in_format);
        ExpectQuotes(got, c.expected, c.count);
        EXPECT_EQ(got.newest, c.newest);
    }
    // 腾讯's records carry the day's limit prices.
    const Quote tencent = kTencent.Parse(Sample("tencent.txt"), codes).quotes.at("600000");
    EXPECT_EQ(tencent.limit_up_text + " " + tencent.limit_down_text, "11.00 9.00");
}

std::string SinaLine(const std::string& code, const std::string& fields) {
    return "var hq_str_" + code + "=\"" + fields + "\";\n";
}
const std::string kSinaTail = ",10.300,9.950" + std::string(26 * 2, ',') + "2026-12-09,14:30:05,00";
std::string TencentLine(const std::string& code, const std::string& fields) {
    return "v_" + code + "=\"1~" + fields + std::string(27, '~') + "20261209143005~0.25\";\n";
}
std::string EastmoneyAnswer(const std::string& records) {
    return R"({"rc":0,"data":{"total":1,"diff":)" + records + "}}";
}
const std::string kEastmoneyRecord = R"({"f12":"600000","f13":1,"f14":"x","f18":10.0,"f17":10.1,)";

TEST(BatchFeeds, RecordsThatCannotBeUsedAreMissingAndOthersCodesFillNone) {
    const std::vector<std::string> codes{"600000"};
    struct Case {
        const QuoteFeed& feed;
        std::string body;
        std::optional<Kind> kind;  // none: no entry
    };
    const Case cases[] = {
        {kSina, SinaLine("sh600000", "x,10.1,10.0,inf" + kSinaTail), Kind::kMissing},
        {kSina, SinaLine("sh600000", "x,10.1,10.0,nan" + kSinaTail), Kind::kMissing},
        {kSina, SinaLine("sh600000", "x,10.1,10.0,1e309" + kSinaTail), Kind::kMissing},
        {kSina, SinaLine("sh600000", "x,10.1,10.0,10.2\x81" + kSinaTail), Kind::kMissing},
        {kSina, SinaLine("sh600000", "x,10.1,10.0,10.2,10.3"), Kind::kMissing},
        {kSina, "var hq_str_sh600000=\"x,10.1,10.0,10.2" + kSinaTail + "\n", Kind::kMissing},
        {kSina, SinaLine("sh600000", "x,10.1,10.0,10.2" + kSinaTail), Kind::kGood},
        {kSina,
         SinaLine("sh600000", "x,10.1,10.0,-" + kSinaTail) +
             SinaLine("sh600000", "x,10.1,10.0,10.2" + kSinaTail),
         Kind::kMissing},  // the first record of a code counts
        {kSina, SinaLine("sz600000", "x,10.1,10.0,10.2" + kSinaTail), std::nullopt},
        {kTencent, TencentLine("sh600000", "x~600000~10.2~10.0~10.1"), Kind::kGood},
        {kTencent, TencentLine("sh600000", "x~600519~10.2~10.0~10.1"), Kind::kMissing},
        {kTencent, TencentLine("sh600000", "x~600000~-~10.0~10.1"), Kind::kMissing},
        {kTencent, TencentLine("sh600000", "x~600000~10.2~10.0~10.1").substr(0, 40),
         Kind::kMissing},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":10.2}])"), Kind::kGood},
        {kEastmoney, EastmoneyAnswer(R"({"0":)" + kEastmoneyRecord + R"("f2":10.2}})"),
         Kind::kGood},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":"-"}])"), Kind::kMissing},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":1e39}])"), Kind::kMissing},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":[10.2]}])"), Kind::kMissing},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":10.2,"f13":0}])"),
         std::nullopt},
    };
    for (const Case& c : cases) {
        const FeedQuotes got = c.feed.Parse(c.body, codes);
        EXPECT_TRUE(got.in_format) << c.body;
        const auto found = got.quotes.find("600000");
        EXPECT_EQ(found == got.quotes.end() ? std::nullopt : std::optional(found->second.kind),
                  c.kind)
            << c.body;
    }
}

TEST(BatchFeeds, AnAnswerInAnotherFormatIsNoAnswer) {
    const std::vector<std::string> codes{"600000"};
    struct Case {
        const QuoteFeed& feed;
        std::string body;
        bool in_format;
    };
    const Case cases[] = {
        {kSina, "", false},
        {kSina, "<html><body>403 Forbidden</body></html>", false},
        {kSina, std::string("var hq_str_sh600000\0=\"\";", 24), false},
        {kSina, "var hq_str_sh600001=\"\";\n", true},
        {kTencent, "v_pv_none_match=\"1\";\n", true},
        {kTencent, "pv_none_match=1;", false},
        {kEastmoney, "<html></html>", false},
        {kEastmoney, R"({"rc":102,"data":null})", false},
        {kEastmoney, R"({"rc":0,"data":null})", true},
        {kEastmoney, R"({"data":null})", false},
        {kEastmoney, R"([{"rc":0}])", false},
        {kEastmoney, R"({"rc":0,"data":{"diff":[)" + std::string(100000, '['), false},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":1e309}])"), false},
        {kEastmoney, EastmoneyAnswer("[" + kEastmoneyRecord + R"("f2":10.2}])") + "x", false},
    };
    for (const Case& c : cases) {
        const FeedQuotes got = c.feed.Parse(c.body, codes);
        EXPECT_EQ(got.in_format, c.in_format) << c.body.substr(0, 60);
        EXPECT_TRUE(c.in_format || got.quotes.empty()) << c.body.substr(0, 60);
    }
}

}  // namespace
}  // namespace tickra
