// The price alerts: crossings of the break-below, cross-above and balance prices, and the
// closing-time buy and sell tips.
#pragma once

#include <string>
#include <vector>

#include "watch/ticker_state.h"

namespace tickra {

// A raised alert: a balloon at the tray icon and a line at the top of the message list.
struct Alert {
    std::string title;    // balloon title
    std::string balloon;  // balloon text
    std::string line;     // message-list text
    std::string time;     // of the check, "%H:%M:%S", for the message list
    bool operator==(const Alert&) const = default;
};

// The tips given in this run; they only ever grow.
struct TipLists {
    bool enabled = false;  // the "/BS" switch
    std::vector<std::string> buy;
    std::vector<std::string> sell;
};

struct AlertInputs {
    std::string name;             // the feed's stock name; empty for a missing quote
    bool missing = false;         // no quote: suspended, or a failed or short response
    float price = 0.0f;           // current price
    float previous_close = 0.0f;  // yesterday's close
    float previous_price = 0.0f;  // the previous check's price; -1 = first check
    float break_below = 0.0f;     // 0 switches a rule off
    float cross_above = 0.0f;
    float balance = 0.0f;
    int hour = -1;  // of the check; -1 when the time is not known
    int minute = -1;
    std::string time_text;   // the check time as "%H:%M:%S"
    std::string shown_name;  // the name the texts give: the user's alias; empty: name
};

struct AlertVerdict {
    DisplayFlags flags;
    std::vector<Alert> alerts;  // in the order they were raised
};

// Sets the four display flags and raises the alerts A to F in that order.
AlertVerdict EvaluateAlerts(const AlertInputs& in, TipLists& tips);

}  // namespace tickra
