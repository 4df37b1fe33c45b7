// The refresh cycle: each tick picks the row to show, checks its quote and keeps its history.
#pragma once

#include <string_view>

#include "watch/local_time.h"
#include "watch/quote_check.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

// Trading minutes in which the per-minute history is kept: 09:00–11:30 and 13:00–15:00.
bool InTradingWindow(int minute_of_day);

// The ticker's state when the watch list is empty.
void SetEmptyListState(TickerState& ticker);

class RefreshCycle {
public:
    // Advances the rotation by one tick over row_count rows (at least one) and returns the row to
    // show. rotation_text is the number of ticks each stock stays; empty means 5.
    int ChooseRow(int row_count, std::string_view rotation_text);

private:
    int current_index_ = 0;
    int tick_counter_ = 0;
};

// Checks the row's quote and keeps the result in its stock entry: the price, one history shift
// per trading minute, and the latest price in the last history slot. Points the ticker at the
// row's history.
void RefreshRow(WatchRow& row, const LocalTime& now, QuoteChecker& checker, TickerState& ticker,
                float& reference_price, AlertSink& alerts);

// The request of a quote check for a row: its code and its three prices read afresh.
QuoteCheckRequest RequestForRow(const WatchRow& row);

}  // namespace tickra
