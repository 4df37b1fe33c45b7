// What the program learns about one watched stock while it runs; attached to its watch-list row.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace tickra {

struct StockEntry {
    // Elements 0..49 hold one sample per trading minute, oldest first; element 50 the latest price.
    static constexpr int kHistorySize = 51;
    static constexpr int kLatest = kHistorySize - 1;

    StockEntry() { history.fill(-1.0f); }

    // Tells entries apart over the whole run, where an address may be reused after a delete.
    const uint64_t serial = NextSerial();

    int minute_stamp = -1;         // minute of the day of the last history shift; -1 = never
    float previous_price = -1.0f;  // price returned by the last quote check; -1 = not checked yet
    std::array<float, kHistorySize> history;  // -1 = no sample
    // The ticker line of the last good quote of this run, shown in grey while the feed cannot be
    // reached; empty until a quote came.
    std::string last_good_line;

private:
    static uint64_t NextSerial() {
        static std::atomic<uint64_t> next{1};
        return next++;
    }
};

}  // namespace tickra
