#include "watch/quote.h"

#include <vector>

#include "watch/text_util.h"

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
    if (response.size() < kShortestQuote || response.find('\'') == std::string_view::npos) {
        return quote;
    }
    std::vector<std::string> pieces;
    Split(response, '\'', pieces);
    std::vector<std::string> fields;
    Split(pieces[1], ';', fields);
    if (fields.size() < kFieldCount) {
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
