// One quote check: what one stock's quote, or the trouble that kept it, comes to for the ticker
// line, the alert rules and the stock's entry, as a value. The transfer happens elsewhere, off
// the window thread, and applying the value is the refresh cycle's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/local_time.h"
#include "net/http.h"
#include "watch/alert_rules.h"
#include "watch/move_alerts.h"
#include "watch/quote.h"
#include "watch/quote_feed.h"
#include "watch/stock_entry.h"
#include "watch/ticker_line.h"
#include "watch/ticker_state.h"

namespace tickra {

struct QuoteCheckRequest {
    std::string code;              // as the watch list holds it
    float previous_price = -1.0f;  // from the stock entry
    float break_below = 0.0f;
    float cross_above = 0.0f;
    float balance = 0.0f;
    std::string last_good_line;  // of the stock's last good quote, shown grey in trouble
    DayMoves moves;              // from the stock entry
    bool limit_alerts = true;    // the user's switches of the move alerts
    int step = 0;                // percent; 0: off
    // The ticker's line is made only for the stock shown: a batch checks a hundred others.
    bool shown = true;
    std::string alias;  // the user's name for the stock; empty: the feed's
    std::optional<Position> position;
    LineStyle style;
};

// One stock's part of an answer: its quote, or the trouble that kept it from one.
struct StockAnswer {
    std::optional<Quote> quote;  // none: trouble on the way, nothing to tell of the stock
    QuoteTrouble trouble = QuoteTrouble::kNone;
    unsigned long status = 0;  // the HTTP status of kHttpStatus
    FeedId source = FeedId::kClassic;
};

// What a check came to.
struct QuoteOutcome {
    // The ticker's line, should the stock be shown.
    std::string line;
    Tone tone = Tone::kMissing;
    DisplayFlags flags;
    std::optional<float> reference_price;  // the previous close of a good quote
    // The stock entry's update.
    bool reached = false;  // there was a quote to tell of; false for trouble on the way
    float price = 0.0f;    // the current price, 0 when there is no quote
    QuoteTrouble trouble = QuoteTrouble::kNone;
    unsigned long status = 0;
    FeedId source = FeedId::kClassic;
    Quote quote;
    DayMoves moves;             // the stock entry's, after this quote
    std::vector<Alert> alerts;  // raised, in order
};

// The trouble an answer that is not a good one met on its way.
QuoteTrouble TroubleOf(const HttpAnswer& answer);

// Trouble on the way runs no alert rule: the stock's last good line, or its code with
// " 网络不通.", is shown in grey and the entry keeps its price and history. tips: the closing
// tips given in this run.
QuoteOutcome CheckQuote(const QuoteCheckRequest& request, const StockAnswer& answer,
                        const LocalTime& now, TipLists& tips);

}  // namespace tickra
