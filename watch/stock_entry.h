// What the program learns about one watched stock while it runs; attached to its watch-list row.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "watch/move_alerts.h"
#include "watch/quote_feed.h"
#include "watch/ticker_state.h"

namespace tickra {

// What kept the last check of a stock from a good quote, for the card to put in words.
enum class QuoteTrouble {
    kNone,
    kRefused,     // the feed's host refused the connection
    kTimedOut,    // no answer in time
    kNoHost,      // the host's name is not known
    kBroken,      // the connection broke, or the answer came cut off
    kHttpStatus,  // the server answered with an error status
    kNotAQuote,   // an answer, but no quote of this stock in it
    kSuspended,   // no trading today
    kStale,       // the feed answers, but the time its records carry has stopped moving
};

// What the card tells of a stock: its last good quote, and the trouble since, if any.
struct QuoteFacts {
    std::string name, last_text, previous_close_text, open_text;
    float change = 0.0f, percent = 0.0f;
    Tone tone = Tone::kUnchanged;  // as in the ticker
    std::string time;              // HH:MM:SS at which it arrived; empty: none this run
    QuoteTrouble trouble = QuoteTrouble::kNone;
    unsigned long status = 0;   // the HTTP status of kHttpStatus
    std::string trouble_since;  // HH:MM:SS of the first check that met trouble since a good one
    FeedId source = FeedId::kClassic;  // the feed that delivered the last good quote
};

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
    QuoteFacts facts;
    DayMoves moves;  // what the limit and step alerts remember through the day

private:
    static uint64_t NextSerial() {
        static std::atomic<uint64_t> next{1};
        return next++;
    }
};

using MinuteHistory = std::array<float, StockEntry::kHistorySize>;

}  // namespace tickra
