// The refresh cycle: each tick picks the row to show, checks its quote and keeps its history.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/local_time.h"
#include "watch/quote_check.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"
#include "watch/watch_model.h"

namespace tickra {

// Trading minutes in which the per-minute history is kept: 09:00–11:30 and 13:00–15:00.
bool InTradingWindow(int minute_of_day);

// The ticker's state when the watch list is empty.
void SetEmptyListState(TickerState& ticker);

// A quote check under way: what was asked, for which row, at what time.
struct PendingQuote {
    uint64_t id = 0;     // which check it is: a late answer of an abandoned one is dropped
    uint64_t entry = 0;  // the serial of the row's stock entry
    std::string object;
    LocalTime now;
    bool first_check = false;  // start-up's check: no history, no ticker chart
};

class RefreshCycle {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Advances the rotation by one tick over row_count rows (at least one) and returns the row to
    // show. rotation_text is the number of ticks each stock stays; empty means 5. The rotation
    // waits on the row shown while a quote is under way (a slow feed stretches the cycle), while
    // it is held or the card is open, and until a wheel step's wait has passed now.
    int ChooseRow(int row_count, std::string_view rotation_text, TimePoint now = {});
    // Steps to the next row (+1) or the previous one (-1) at once; the rotation then waits on it
    // until `until`. A hold moves with it.
    int Step(int row_count, int direction, TimePoint until);
    // Held from the ticker's menu: every tick shows the same stock, the one at row.
    void HoldOn(int row);
    void set_held(bool held) { held_ = held; }
    bool held() const { return held_; }
    // The card is open on the row shown.
    void set_paused(bool paused) { paused_ = paused; }
    int current_row() const { return current_index_; }
    // The rotation is on the row with this entry: what was fetched for it may still be shown.
    bool Shows(const WatchList& rows, uint64_t entry) const;
    // The entry of the stock the ticker shows, which stays until the answer for the next one
    // is in; 0 before the first.
    uint64_t shown_entry() const { return shown_entry_; }

    // Starts the quote check of a row; nothing while one is under way, so that a slow feed
    // stretches the cycle instead of piling up requests.
    std::optional<PendingQuote> StartQuote(const WatchRow& row, const QuoteChecker& checker,
                                           const LocalTime& now, bool first_check = false);
    bool quote_in_flight() const { return under_way_.has_value(); }
    // The check under way: one whose transfer was given up is finished as network trouble.
    const std::optional<PendingQuote>& under_way() const { return under_way_; }

    // Applies the answer to the row it was asked for and keeps the result in its stock entry: the
    // price, one history shift per trading minute, the latest price in the last history slot, and
    // what the card tells (arrived: when the answer came; none: when it was asked). Points the
    // ticker at the row's history. Network trouble leaves the price and history as they were.
    // False when the row has gone meanwhile, or the answer is for a check that is no longer the
    // one under way (given up as network trouble): the answer is dropped. While the rotation is
    // held, an answer for another stock (asked before the hold) does not reach the ticker.
    bool FinishQuote(const PendingQuote& pending, const HttpAnswer& answer, WatchModel& model,
                     QuoteChecker& checker, AlertSink& alerts, const LocalTime& arrived = {});

private:
    int current_index_ = 0;
    int tick_counter_ = 0;
    bool held_ = false;
    bool paused_ = false;
    TimePoint waiting_until_{};
    std::optional<PendingQuote> under_way_;
    uint64_t last_id_ = 0;
    uint64_t shown_entry_ = 0;
};

// The request of a quote check for a row: its code and its three prices read afresh.
QuoteCheckRequest RequestForRow(const WatchRow& row);

}  // namespace tickra
