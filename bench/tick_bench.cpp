// The platform-free work of one refresh tick: parse a feed record, build the ticker line and
// colour, run the alert rules and keep the per-minute history.
//
//   tickra_bench                   Google Benchmark timings
//   tickra_bench --ticks=N         runs N ticks and prints the heap in use before and after
//                                  (for instruction counts: valgrind --tool=callgrind)
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "watch/eastmoney_feed.h"
#include "watch/quote.h"
#include "watch/refresh_cycle.h"
#include "watch/sina_feed.h"
#include "watch/tencent_feed.h"

namespace tickra {
namespace {

// A record of the size the feed sends: 33 fields, about 300 bytes.
std::string TypicalRecord() {
    std::string record =
        "var hq_str_0600000='0600000;浦发银行;10.000;10.050;10.300;9.950;12345678;0.250;"
        "123456789.00;0.01;10.250";
    for (int i = 11; i < 33; ++i) {
        record += ";" + std::to_string(1000 + i * 37) + ".00";
    }
    record += "';\n";
    return record;
}

struct TickFixture {
    std::string record = TypicalRecord();
    LocalTime now = [] {
        std::tm t{};
        t.tm_hour = 10;
        return t;
    }();
    RefreshCycle cycle{MakeFeeds({}), true};
    WatchModel model = [] {
        WatchModel watched;
        watched.Append(WatchRow("600000", "9.50", "11.00", "10.10", ""));
        return watched;
    }();
    int minute = 0;

    // The tick's own work on both sides of the transfer: the request, then the answer.
    void Tick() {
        now->tm_min = (++minute / 30) % 60;  // a new minute every 30 ticks, as at 2 s a tick
        const std::optional<PendingQuote> pending = cycle.StartQuote(model, 0, now, {});
        const QuoteRound round = cycle.FinishQuote(*pending, Answered(record), model, now, {});
        benchmark::DoNotOptimize(round.alerts.data());
    }
};

void BM_Tick(benchmark::State& state) {
    TickFixture fixture;
    for (auto _ : state) {
        fixture.Tick();
        benchmark::DoNotOptimize(fixture.model.ticker.text.data());
    }
    state.counters["record_bytes"] = static_cast<double>(fixture.record.size());
}
BENCHMARK(BM_Tick);

void BM_ParseQuote(benchmark::State& state) {
    const std::string record = TypicalRecord();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseQuote(record, "0600000"));
    }
}
BENCHMARK(BM_ParseQuote);

// A full batch: 100 codes asked, one record each, in the feeds' own layouts.
struct BatchFixture {
    std::vector<std::string> codes;
    std::string sina, tencent, eastmoney = R"({"rc":0,"data":{"total":100,"diff":[)";

    BatchFixture() {
        for (int i = 0; i < 100; ++i) {
            const std::string code = std::to_string(600000 + i);
            const std::string price = std::to_string(10 + i) + ".25";
            codes.push_back(code);
            sina += "var hq_str_sh" + code + "=\"浦发银行," + price + ",10.000," + price;
            tencent += "v_sh" + code + "=\"1~浦发银行~" + code + "~" + price + "~10.00~" + price;
            for (int field = 4; field < 30; ++field) {
                sina += "," + std::to_string(1000 + field * 37) + ".00";
            }
            for (int field = 6; field < 30; ++field) {
                tencent += "~" + std::to_string(1000 + field * 37);
            }
            sina += ",2026-12-09,14:30:05,00\";\n";
            tencent += "~20261209143005~0.25~2.50~10.30~9.95~~123456~12654~0.04~5.10\";\n";
            eastmoney +=
                (i ? "," : "") + std::string(R"({"f1":2,"f2":)") + price + R"(,"f12":")" + code +
                // The name as the feed sends it, UTF-8 ("浦发银行").
                R"(","f13":1,"f14":")" + "\xE6\xB5\xA6\xE5\x8F\x91\xE9\x93\xB6\xE8\xA1\x8C" +
                R"(","f17":10.05,"f18":10.0,"f124":1796797805})";
        }
        eastmoney += "]}}";
    }
};

void BenchBatch(benchmark::State& state, const QuoteFeed& feed, const std::string& body,
                const std::vector<std::string>& codes) {
    if (feed.Parse(body, codes).quotes.size() != codes.size()) {
        state.SkipWithError("the answer does not give a quote for every code");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(feed.Parse(body, codes));
    }
    state.counters["body_bytes"] = static_cast<double>(body.size());
}

void BM_ParseSina100(benchmark::State& state) {
    const BatchFixture fixture;
    BenchBatch(state, SinaFeed(), fixture.sina, fixture.codes);
}
BENCHMARK(BM_ParseSina100);

void BM_ParseTencent100(benchmark::State& state) {
    const BatchFixture fixture;
    BenchBatch(state, TencentFeed(), fixture.tencent, fixture.codes);
}
BENCHMARK(BM_ParseTencent100);

void BM_ParseEastmoney100(benchmark::State& state) {
    const BatchFixture fixture;
    const EastmoneyFeed feed([](std::string_view utf8) { return std::string(utf8); });
    BenchBatch(state, feed, fixture.eastmoney, fixture.codes);
}
BENCHMARK(BM_ParseEastmoney100);

// One tick of a list of 100 held stocks on the 新浪 feed: one request, and every stock's check,
// line, alerts and history from its answer.
void BM_TickSina100(benchmark::State& state) {
    const BatchFixture fixture;
    RefreshCycle cycle(MakeFeeds({}), true, ParseFeedOrder("sina"));
    WatchModel model;
    for (const std::string& code : fixture.codes) {
        WatchRow& row = model.Append(WatchRow(code, "9.50", "11.00", "10.10", ""));
        row.cost = "9.800";
        row.shares = "1000";
    }
    cycle.SetLineStyle({true, false, false}, model);
    LocalTime now = [] {
        std::tm t{};
        t.tm_hour = 10;
        return t;
    }();
    for (auto _ : state) {
        const std::optional<PendingQuote> pending = cycle.StartQuote(model, 0, now, {});
        const QuoteRound round =
            cycle.FinishQuote(*pending, Answered(fixture.sina), model, now, {});
        benchmark::DoNotOptimize(round.alerts.data());
    }
}
BENCHMARK(BM_TickSina100);

// The JSON library's reading alone over the same answer, nothing kept: the floor under the feed's
// own parse.
void BM_JsonAcceptOnly100(benchmark::State& state) {
    const BatchFixture fixture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nlohmann::json::accept(fixture.eastmoney));
    }
}
BENCHMARK(BM_JsonAcceptOnly100);

int RunTicks(long count) {
    TickFixture fixture;
    for (int i = 0; i < 1000; ++i) {
        fixture.Tick();  // warm up: first-time allocations and string capacities
    }
    const size_t before = mallinfo2().uordblks;
    for (long i = 0; i < count; ++i) {
        fixture.Tick();
    }
    const size_t after = mallinfo2().uordblks;
    std::printf("ticks %ld, heap in use before %zu bytes, after %zu bytes, growth %lld bytes\n",
                count, before, after,
                static_cast<long long>(after) - static_cast<long long>(before));
    return after > before ? 1 : 0;
}

}  // namespace
}  // namespace tickra

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ticks=", 8) == 0) {
            return tickra::RunTicks(std::atol(argv[i] + 8));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
