#include "watch/quote.h"

#include <array>

#include "base/mbcs.h"

#include "base/text_util.h"

namespace tickra {

namespace {
constexpr size_t kShortestQuote = 51;  // bytes; anything shorter carries no quote
constexpr size_t kFieldCount = 11;
}  // namespace

std::string FeedCode(std::string_view code) {
    if (code == "1A0001") {
        return "0000001";
    }
    const bool shanghai = !code.empty() && (code[0] == '6' || code[0] == '5');
    return (shanghai ? "0" : "1") + std::string(code);
}

std::string QuoteObjectName(const LocalTime& time, std::string_view feed_code) {
    return FormatTime(time, "%H%M%S") + "?" + std::string(feed_code);
}

Quote ParseQuote(std::string_view response) {
    Quote quote;
    if (response.size() < kShortestQuote) {
        return quote;
    }
    // The record runs from the first apostrophe to the next one, or to the end. Both searches
    // step over double-byte characters, whose trail byte may look like an apostrophe.
    const size_t open = FindMbcs(response, '\'');
    if (open == std::string_view::npos) {
        return quote;
    }
    const size_t close = FindMbcs(response, '\'', open + 1);
    const std::string_view record =
        response.substr(open + 1, close == std::string_view::npos ? close : close - open - 1);

    std::array<std::string_view, kFieldCount> fields;
    size_t count = 0;
    for (size_t start = 0; count < kFieldCount; ++count) {
        const size_t separator = FindMbcs(record, ';', start);
        fields[count] = record.substr(
            start, separator == std::string_view::npos ? separator : separator - start);
        if (separator == std::string_view::npos) {
            ++count;
            break;
        }
        start = separator + 1;
    }
    if (count < kFieldCount) {
        return quote;
    }
    if (fields[3] == "0.000") {
        quote.kind = Quote::Kind::kSuspended;
        return quote;
    }
    quote.kind = Quote::Kind::kGood;
    quote.name = fields[1];
    quote.last_text = fields[10];
    quote.previous_close = ParseFloat(fields[2]);
    quote.price = ParseFloat(fields[10]);
    quote.change = ParseFloat(fields[7]);
    return quote;
}

}  // namespace tickra
