// Cutting a realistic 60-day history page and computing the balance price from it.
#include <benchmark/benchmark.h>

#include <string>

#include "history/balance_price.h"
#include "history/history_table.h"
#include "unit/history_pages.h"

namespace tickra {
namespace {

void BM_BalanceFromPostProviderPage(benchmark::State& state) {
    // About 42 trading days in 60 calendar days.
    const std::string page = testing::PostProviderPage("600000", testing::Closes(42, 25.0, 0.05));
    std::string date;
    for (auto _ : state) {
        const HistoryFetch fetch = [&](std::string_view code, std::string_view) {
            return CutPostProviderTable(page, code);
        };
        benchmark::DoNotOptimize(ComputeBalancePrice("600000", fetch, date));
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_BalanceFromPostProviderPage);

void BM_BalanceFromGetProviderPage(benchmark::State& state) {
    const std::string page = testing::GetProviderPage("000001", testing::Closes(42, 25.0, 0.05));
    std::string date;
    for (auto _ : state) {
        // The POST provider fails first, as when it is down.
        const HistoryFetch fetch = [&](std::string_view code, std::string_view provider) {
            return provider == kGetProvider ? CutGetProviderTable(page, code) : std::string();
        };
        benchmark::DoNotOptimize(ComputeBalancePrice("000001", fetch, date));
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_BalanceFromGetProviderPage);

}  // namespace
}  // namespace tickra
