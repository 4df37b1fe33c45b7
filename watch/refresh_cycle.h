// The refresh cycle: each tick picks the row to show, checks its quote and keeps its history.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/local_time.h"
#include "watch/feed_router.h"
#include "watch/quote_check.h"
#include "watch/quote_feed.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"
#include "watch/watch_model.h"

namespace tickra {

// Trading minutes in which the per-minute history is kept: 09:00–11:30 and 13:00–15:00.
bool InTradingWindow(int minute_of_day);

// The ticker's state when the watch list is empty.
void SetEmptyListState(TickerState& ticker);

// The feeds a cycle asks, by FeedId.
using Feeds = std::array<std::unique_ptr<QuoteFeed>, kFeedCount>;
Feeds MakeFeeds(const Utf8ToProgramText& utf8);

// A quote check under way: one feed asked, in one tick, for the shown stock and, on a feed that
// takes many codes, for the others too.
struct PendingQuote {
    uint64_t id = 0;     // which tick's check it is: a late answer of an abandoned one is dropped
    uint64_t entry = 0;  // the serial of the shown row's stock entry
    FeedId feed = FeedId::kClassic;
    unsigned tried = 0;              // the feeds this tick asked before this one
    std::vector<std::string> codes;  // upper-cased; the shown stock's first
    FeedRequest request;
    LocalTime now;
    bool first_check = false;  // start-up's check: no history, no ticker chart
    // The trouble of the tick's first feed, told when every feed fails.
    QuoteTrouble first_trouble = QuoteTrouble::kNone;
    unsigned long first_status = 0;
};

// What an answer came to, for the ticker to act on.
struct QuoteRound {
    bool shown = false;         // the ticker's state changed
    std::vector<Alert> alerts;  // of every stock the answer told of, in the order asked
    // The feed failed: the same tick asks this one.
    std::optional<PendingQuote> next;
};

class RefreshCycle {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // tips_switch: the closing-time tips are given. order: the user's order of the feeds.
    RefreshCycle(Feeds feeds, bool tips_switch, const FeedOrder& order = kDefaultFeedOrder);

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

    // The user's switches of the limit and step alerts.
    struct MoveSettings {
        bool limits = true;
        int step = 0;  // percent; 0: off
    };
    void set_move_settings(const MoveSettings& settings) { move_settings_ = settings; }
    const MoveSettings& move_settings() const { return move_settings_; }

    // How the ticker's lines are dressed. A new style dresses the line shown at once, when it is
    // a good quote's.
    void SetLineStyle(const LineStyle& style, WatchModel& model);
    const LineStyle& line_style() const { return style_; }

    FeedRouter& router() { return router_; }
    const FeedRouter& router() const { return router_; }

    // Starts the tick's quote check of the row shown, on the feed the router picks; nothing while
    // one is under way, so that a slow feed stretches the cycle instead of piling up requests. A
    // feed that takes many codes is asked for the others too, in rotation order after the shown
    // one; a list longer than a request takes is covered over the following ticks.
    std::optional<PendingQuote> StartQuote(const WatchModel& model, size_t row,
                                           const LocalTime& now, TimePoint steady,
                                           bool first_check = false);
    bool quote_in_flight() const { return under_way_.has_value(); }
    // The check under way: one whose transfer was given up is finished as network trouble.
    const std::optional<PendingQuote>& under_way() const { return under_way_; }

    // Judges the feed's answer. A feed that failed (trouble on the way, an error status, an answer
    // not in its format, or stale) hands the tick to the next feed, or, when none is left, shows
    // the shown stock's trouble. Otherwise every row of a code asked keeps its result in its
    // stock entry: the price, one history shift per trading minute, the latest price in the last
    // history slot, and what the card tells (arrived: when the answer came). A code that a later
    // feed does not know stays as it was, with the first choice's trouble. The shown row's result
    // reaches the ticker, unless the rotation is held on another; an answer for a check that is
    // no longer the one under way, or whose row has gone, changes nothing. pending is a copy: it
    // may be the one under_way() hands out, which this ends.
    QuoteRound FinishQuote(PendingQuote pending, const HttpAnswer& answer, WatchModel& model,
                           const LocalTime& arrived, TimePoint steady);

private:
    PendingQuote Ask(const WatchModel& model, size_t row, FeedId feed, PendingQuote pending);
    // Keeps one stock's result in its entry; the ticker takes the shown one's.
    void KeepResult(WatchRow& row, const QuoteOutcome& outcome, const PendingQuote& pending,
                    const std::string& time);

    Feeds feeds_;
    FeedRouter router_;
    TipLists tips_;
    MoveSettings move_settings_;
    LineStyle style_;
    int current_index_ = 0;
    int tick_counter_ = 0;
    bool held_ = false;
    bool paused_ = false;
    TimePoint waiting_until_{};
    std::optional<PendingQuote> under_way_;
    uint64_t last_id_ = 0;
    uint64_t shown_entry_ = 0;
    size_t batch_next_ = 0;  // the row where the next request's others begin, on long lists
};

// The request of a quote check for a row: its code, its three prices, its holding and its alias
// read afresh, and, for the row shown, its lines dressed in style.
QuoteCheckRequest RequestForRow(const WatchRow& row, const LineStyle& style, bool shown);

}  // namespace tickra
