// The quote feed: how a stock is asked for and what the feed's record means.
#pragma once

#include <string>
#include <string_view>

#include "base/local_time.h"

namespace tickra {

// The feed's seven-character code: "0000001" for the index 1A0001, "0" + code for the Shanghai
// codes (first character 6 or 5), "1" + code for the others. code must be upper-cased.
std::string FeedCode(std::string_view code);

// "%H%M%S" of the time, "?" and the feed code; no leading slash.
std::string QuoteObjectName(const LocalTime& time, std::string_view feed_code);

struct Quote {
    enum class Kind { kMissing, kSuspended, kGood };
    Kind kind = Kind::kMissing;
    std::string name;                            // field 1
    std::string last_text;                       // field 10, exactly as received
    std::string previous_close_text, open_text;  // fields 2 and 3, as received
    float previous_close = 0.0f;
    float price = 0.0f;
    float change = 0.0f;
    // The day's limit prices, when the feed's record carries them; else empty.
    std::string limit_up_text, limit_down_text;

    // The change against the previous close, in percent: what the ticker and the card show.
    float percent() const { return change * 100 / previous_close; }
};

// Reads a feed response to a request for feed_code. Bodies of 50 bytes or fewer, records without
// an apostrophe and records with fewer than 11 fields are missing quotes; so are records whose
// previous close, change or last price is no finite number, and answers that name another feed
// code before the record ("var hq_str_0600519=" when 0600000 was asked for). An opening price of
// exactly "0.000" means the stock is suspended today. The name and the texts of the numbers lose
// their control characters and are cut at 32 and 16 bytes, on a character's boundary.
Quote ParseQuote(std::string_view response, std::string_view feed_code);

// How long a feed's name and the text of a number may be when shown; the longest names are about
// half of it.
inline constexpr size_t kMaxNameBytes = 32;
inline constexpr size_t kMaxNumberBytes = 16;

// A field as it may be shown: without control characters, which would break the ticker's and the
// card's lines, and cut at max_bytes on a character's boundary, so that no feed can make a card
// screens wide. Every feed cleans its names and numbers with it.
std::string ShownField(std::string_view field, size_t max_bytes);

}  // namespace tickra
