// One quote check: fetch one stock's quote, fill the ticker line, run the alert rules.
#pragma once

#include <string>

#include "net/http.h"
#include "watch/alert_rules.h"
#include "watch/local_time.h"
#include "watch/ticker_state.h"

namespace tickra {

struct QuoteCheckRequest {
    std::string code;              // as the watch list holds it
    float previous_price = -1.0f;  // from the stock entry
    float break_below = 0.0f;
    float cross_above = 0.0f;
    float balance = 0.0f;
};

class QuoteChecker {
public:
    QuoteChecker(HttpFunction http, std::string host, Clock clock, bool tips_switch);

    // Fills the ticker's flags, text and colour; a good quote sets reference_price to the
    // previous close. Returns the current price, 0 when there is no quote.
    float Check(const QuoteCheckRequest& request, TickerState& ticker, float& reference_price,
                AlertSink& alerts);

private:
    HttpFunction http_;
    std::string host_;
    Clock clock_;
    TipLists tips_;
};

}  // namespace tickra
