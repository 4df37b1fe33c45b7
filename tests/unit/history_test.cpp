#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_util.h"
#include "history/balance_price.h"
#include "history/history_table.h"
#include "unit/history_pages.h"
#include "unit/test_support.h"

namespace tickra {
namespace {

using testing::Closes;
using testing::GetProviderPage;
using testing::PostProviderPage;

std::tm On(int year, int month, int day, int hour = 10, int minute = 15, int second = 30) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return t;
}

TEST(HistoryRequest, SixtyDaysOnTheCalendar) {
    const HistoryWindow july = HistoryWindowEnding(On(2008, 7, 8));
    EXPECT_EQ(PostProviderBody("600000", july),
              "code=600000&submit=%CC%E1%BD%BB&start_year=2008&start_month=05&start_day=09"
              "&end_year=2008&end_month=07&end_day=08&ss=d");
    EXPECT_EQ(GetProviderObject("600000", july),
              "corp/1107/start=200805,end=200807,code=600000,now=20080509101530.html");

    const HistoryWindow february = HistoryWindowEnding(On(2008, 2, 15));
    EXPECT_EQ(PostProviderBody("1A0001", february),
              "code=1A0001&submit=%CC%E1%BD%BB&start_year=2007&start_month=12&start_day=17"
              "&end_year=2008&end_month=02&end_day=15&ss=d");
    EXPECT_EQ(GetProviderObject("000001", february),
              "corp/1107/start=200712,end=200802,code=000001,now=20071217101530.html");
}

TEST(HistoryRequest, FetchAsksTheRightProvider) {
    struct Seen {
        std::string body, verb, host, object;
    } seen;
    const HttpFunction http = [&](std::string_view body, std::string_view verb,
                                  std::string_view host, std::string_view object) {
        seen = {std::string(body), std::string(verb), std::string(host), std::string(object)};
        return Answered(verb == "POST" ? PostProviderPage("600000", Closes(3))
                                       : GetProviderPage("600000", Closes(3)));
    };
    const HistoryHosts hosts{"post.test", "get.test"};
    const std::tm now = On(2008, 7, 8);

    EXPECT_FALSE(FetchHistoryTable("600000", "sohu", http, hosts, now).empty());
    EXPECT_EQ(seen.verb, "POST");
    EXPECT_EQ(seen.host, "post.test");
    EXPECT_EQ(seen.object, "/q/hp.php");
    EXPECT_EQ(seen.body.rfind("code=600000&", 0), 0u);

    EXPECT_FALSE(FetchHistoryTable("600000", "163", http, hosts, now).empty());
    EXPECT_EQ(seen.verb, "GET");
    EXPECT_EQ(seen.host, "get.test");
    EXPECT_EQ(seen.body, "");

    seen = {};
    EXPECT_EQ(FetchHistoryTable("600000", "other", http, hosts, now), "");
    EXPECT_EQ(seen.verb, "") << "an unknown provider is never asked";
}

TEST(HistoryTable, CuttingNeedsEveryMarker) {
    const std::string post = PostProviderPage("600000", Closes(3));
    const std::string get = GetProviderPage("600000", Closes(3));
    const std::string post_table = CutPostProviderTable(post, "600000");
    EXPECT_EQ(post_table.substr(0, 7), "\n<table");
    EXPECT_EQ(post_table.substr(post_table.size() - 8), "</TABLE>");
    const std::string get_table = CutGetProviderTable(get, "600000");
    EXPECT_EQ(get_table.substr(0, 19), "\n<table class=data>");
    EXPECT_EQ(get_table.substr(get_table.size() - 8), "</table>");

    auto without = [](std::string page, const std::string& marker) {
        return ReplaceAll(std::move(page), marker, "x");
    };
    struct Case {
        const char* what;
        std::string table;
    };
    const Case cases[] = {
        {"post: no code", CutPostProviderTable(post, "600001")},
        {"post: no name=ss", CutPostProviderTable(without(post, "name=ss"), "600000")},
        {"post: no table tag", CutPostProviderTable(without(post, "<ta"), "600000")},
        {"post: lower-case end tag only",
         CutPostProviderTable(without(post, "</TABLE>"), "600000")},
        {"get: no code", CutGetProviderTable(get, "600001")},
        {"get: one table only", CutGetProviderTable(without(get, "<table class=nav>"), "600000")},
        {"get: no end tag", CutGetProviderTable(without(get, "</table></body>"), "600000")},
        {"empty page", CutPostProviderTable("", "600000")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.table, "") << c.what;
    }
}

TEST(HistoryTable, CellsOfThePostProviderCountFromTheEnd) {
    const std::string table =
        CutPostProviderTable(PostProviderPage("600000", Closes(30)), "600000");
    struct Case {
        int row, column;
        const char* text;
    };
    const Case cases[] = {
        {1, 7, "2008-07-08"}, {1, 3, "20.00"}, {1, 2, "1234567"},
        {1, 1, "12345"},      {2, 3, "19.90"}, {30, 3, "17.10"},
        {31, 1, "成交金额"},  {40, 3, ""},     {0, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetHistoryCell(table, c.row, c.column, "SOHU"), c.text)
            << c.row << "," << c.column;
    }
    EXPECT_EQ(GetHistoryCell(table, 1, 3, "sohu"), "") << "the tag is compared exactly";
}

TEST(HistoryTable, TheExampleRowOfThePostProvider) {
    const std::string table =
        "\n<table><tr><td><b>2008-07-07</b></td><td>1</td><td>2</td><td>3</td><td>4</td>"
        "<td>5</td><td>6</td></tr>\n<tr><td><b>2008-07-08</b></td><td>10.10</td><td>10.50</td>"
        "<td>9.90</td><td>10.30</td><td>1,234,567</td><td>12,345</td></tr>\n</TABLE>";
    EXPECT_EQ(GetHistoryCell(table, 1, 7, "SOHU"), "2008-07-08");
    EXPECT_EQ(GetHistoryCell(table, 1, 3, "SOHU"), "10.30");
    EXPECT_EQ(GetHistoryCell(table, 1, 2, "SOHU"), "1234567");
    EXPECT_EQ(GetHistoryCell(table, 2, 3, "SOHU"), "4");
    EXPECT_EQ(GetHistoryCell(table, 3, 3, "SOHU"), "");
}

TEST(HistoryTable, CellsOfTheGetProviderCountFromTheStart) {
    const std::string table = CutGetProviderTable(GetProviderPage("600000", Closes(30)), "600000");
    EXPECT_EQ(GetHistoryCell(table, 3, 1, "163"), "2008-07-08");
    EXPECT_EQ(GetHistoryCell(table, 3, 3, "163"), "20.00");
    EXPECT_EQ(GetHistoryCell(table, 32, 3, "163"), "17.10");
    EXPECT_EQ(GetHistoryCell(table, 40, 3, "163"), "");
    EXPECT_EQ(GetHistoryCell("<tr><td class=x>1,5</td></tr>", 1, 1, "163"), "class=x>15")
        << "a tag with attributes keeps them";
}

TEST(BalanceFormula, KnownSeries) {
    EXPECT_FLOAT_EQ(BalanceFormula(std::vector<float>(25, 10.0f)), 10.0f);
    std::vector<float> series;
    for (const std::string& close : Closes(25)) {
        series.push_back(ParseFloat(close));
    }
    const float price = BalanceFormula(series);
    // Single precision at every stored step; the same sums in double end at 19.0083332.
    EXPECT_EQ(price, 19.0083351f);
    EXPECT_EQ(Format("%.2f", price), "19.01");
    series.resize(24);
    EXPECT_NEAR(BalanceFormula(series), price, 1e-6f) << "the 25th value is not used";
}

struct Provider {
    std::string page;  // empty: the request fails
    int asked = 0;
};

struct BalanceTest : ::testing::Test {
    Provider post, get;
    std::string date = "before";
    float Compute(const std::string& code) {
        const HistoryFetch fetch = [this](std::string_view c, std::string_view provider) {
            Provider& p = provider == kPostProvider ? post : get;
            ++p.asked;
            return provider == kPostProvider ? CutPostProviderTable(p.page, c)
                                             : CutGetProviderTable(p.page, c);
        };
        return ComputeBalancePrice(code, fetch, date);
    }
};

TEST_F(BalanceTest, PostProviderFirst) {
    post.page = PostProviderPage("600000", Closes(30));
    EXPECT_NEAR(Compute("600000"), 19.0083f, 0.0001f);
    EXPECT_EQ(date, "2008-07-08");
    EXPECT_EQ(get.asked, 0);
}

TEST_F(BalanceTest, TwentyFourValuesAreTooFewTwentyFiveEnough) {
    post.page = PostProviderPage("600000", Closes(24));
    EXPECT_EQ(Compute("600000"), -1.0f);
    EXPECT_EQ(date, "before") << "a failed computation leaves the pending date alone";
    post.page = PostProviderPage("600000", Closes(25));
    EXPECT_NE(Compute("600000"), -1.0f);
}

TEST_F(BalanceTest, AHeadingRowIsNotAPrice) {
    // The page's heading row is read as the 25th row from the end: its text must end the data.
    post.page = PostProviderPage("600000", Closes(24));
    EXPECT_EQ(Compute("600000"), -1.0f);
    post.page = ReplaceAll(PostProviderPage("600000", Closes(24)), "<td>收盘</td>", "<td></td>");
    EXPECT_EQ(Compute("600000"), -1.0f);
}

TEST_F(BalanceTest, ZeroRowsAreSkipped) {
    std::vector<std::string> closes = Closes(25);
    closes.insert(closes.begin() + 5, {"0.00", "0.00"});
    post.page = PostProviderPage("600000", closes);
    EXPECT_NEAR(Compute("600000"), 19.0083f, 0.0001f);
}

TEST_F(BalanceTest, OnlyADateOfTheFormYYYYMMDDIsADate) {
    for (const std::string& bad :
         {std::string("2008-07-08\r\n[999999]\r\nunder=5"), std::string(200000, '9'),
          std::string("2008/07/08"), std::string("2008-7-8")}) {
        post.page = PostProviderPage("600000", Closes(30), bad);
        get.page = GetProviderPage("600000", Closes(30), bad);
        EXPECT_EQ(Compute("600000"), -1.0f) << bad.substr(0, 20);
        EXPECT_EQ(date, "before");
    }
}

TEST_F(BalanceTest, CellsAreTrimmedAndNoPriceIsSkipped) {
    for (const char* cell : {"--", "nan", "1e309", "-inf", "停牌"}) {
        std::vector<std::string> with_gap = Closes(25);
        with_gap.insert(with_gap.begin() + 3, cell);
        post.page = ReplaceAll(PostProviderPage("600000", with_gap, " 2008-07-08\r\n"), "<td>19.90",
                               "<td>\r\n 19.90 ");
        EXPECT_NEAR(Compute("600000"), 19.0083f, 0.0001f) << cell;
        EXPECT_EQ(date, "2008-07-08") << cell;
    }
}

TEST_F(BalanceTest, FallsBackToTheGetProviderExceptForTheIndex) {
    post.page = PostProviderPage("600000", Closes(20));
    get.page = GetProviderPage("600000", Closes(30), "2008-07-07");
    EXPECT_NEAR(Compute("600000"), 19.0083f, 0.0001f);
    EXPECT_EQ(date, "2008-07-07");

    post = {};
    get = {GetProviderPage("1A0001", Closes(30)), 0};
    EXPECT_EQ(Compute("1a0001"), -1.0f);
    EXPECT_EQ(post.asked, 1);
    EXPECT_EQ(get.asked, 0);
}

TEST_F(BalanceTest, BothFailing) {
    get.page = GetProviderPage("600000", Closes(10));
    EXPECT_EQ(Compute("600000"), -1.0f);
    EXPECT_EQ(post.asked, 1);
    EXPECT_EQ(get.asked, 1);
}

}  // namespace
}  // namespace tickra
