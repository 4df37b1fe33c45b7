// The platform-free work of one refresh tick: parse a feed record, build the ticker line and
// colour, run the alert rules and keep the per-minute history.
//
//   tickra_bench                   Google Benchmark timings
//   tickra_bench --ticks=N         runs N ticks and prints the heap in use before and after
//                                  (for instruction counts: valgrind --tool=callgrind)
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "watch/quote.h"
#include "watch/refresh_cycle.h"

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
