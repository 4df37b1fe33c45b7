// One quote check: what to ask the feed for one stock, and what its answer does to the ticker
// line and the alert rules. The transfer itself happens elsewhere, off the window thread.
#pragma once

#include <string>

#include "base/local_time.h"
#include "net/http.h"
#include "watch/alert_rules.h"
#include "watch/quote.h"
#include "watch/stock_entry.h"
#include "watch/ticker_state.h"

namespace tickra {

struct QuoteCheckRequest {
    std::string code;              // as the watch list holds it
    float previous_price = -1.0f;  // from the stock entry
    float break_below = 0.0f;
    float cross_above = 0.0f;
    float balance = 0.0f;
    std::string last_good_line;  // from the stock entry
};

// What a check came to.
struct QuoteOutcome {
    bool reached = false;   // the feed answered; false for network trouble
    float price = 0.0f;     // the current price, 0 when there is no quote
    std::string good_line;  // the ticker line of a good quote, else empty
    QuoteTrouble trouble = QuoteTrouble::kNone;
    unsigned long status = 0;  // the HTTP status of an answer that was not 200
    Quote quote;               // as read from the record
};

// The trouble an answer that is not a good one met on its way.
QuoteTrouble TroubleOf(const HttpAnswer& answer);

class QuoteChecker {
public:
    QuoteChecker(std::string host, bool tips_switch);

    const std::string& host() const { return host_; }
    // The feed's object name for a code, asked for with GET and no body.
    std::string Object(std::string_view code, const LocalTime& now) const;

    // Fills the ticker's flags, text and colour from the feed's answer; a good quote sets
    // reference_price to the previous close. Network trouble runs no alert rule: the stock's last
    // good line, or its code with " 网络不通.", is shown in grey and nothing else changes.
    QuoteOutcome Apply(const QuoteCheckRequest& request, const HttpAnswer& answer,
                       const LocalTime& now, TickerState& ticker, float& reference_price,
                       AlertSink& alerts);

private:
    std::string host_;
    TipLists tips_;
};

}  // namespace tickra
