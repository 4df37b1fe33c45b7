#include "watch/quote.h"

#include <array>
#include <cmath>

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

namespace {
constexpr size_t kShortestQuote = 51;  // bytes; anything shorter carries no quote
constexpr size_t kFieldCount = 11;
constexpr size_t kFeedCodeLength = 7;

bool IsAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The feed code an answer names ahead of its record, as in "var hq_str_0600000=": the seven
// letters or digits just before the "=" that ends the text. Empty when it names none.
std::string_view NamedFeedCode(std::string_view head) {
    if (head.empty() || head.back() != '=') {
        return {};
    }
    // Walked from the start, so that a trail byte that looks like a letter is never taken for one.
    const size_t end = head.size() - 1;
    size_t run = 0;  // where the letters and digits before the "=" begin
    for (size_t i = 0, width = 0; i < end; i += width) {
        width = CharWidth(head, i);
        if (width != 1 || !IsAsciiLetterOrDigit(head[i])) {
            run = i + width;
        }
    }
    return end - run == kFeedCodeLength ? head.substr(run, kFeedCodeLength) : std::string_view();
}
}  // namespace

std::string ShownField(std::string_view field, size_t max_bytes) {
    std::string kept;
    for (size_t i = 0, width = 0; i < field.size() && kept.size() < max_bytes; i += width) {
        width = CharWidth(field, i);
        const auto c = static_cast<unsigned char>(field[i]);
        if (width == 2 || (c >= 0x20 && c != 0x7F)) {
            kept.append(field.substr(i, width));
        }
    }
    return std::string(CutAtCharBoundary(kept, max_bytes));
}

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

Quote ParseQuote(std::string_view response, std::string_view feed_code) {
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
    // A feed that mixes answers up must not show one stock's price as another's, nor measure it
    // against the other's alert prices.
    const std::string_view named = NamedFeedCode(response.substr(0, open));
    if (!named.empty() && UpperCaseMbcs(named) != UpperCaseMbcs(feed_code)) {
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
    const float previous_close = ParseFloat(fields[2]);
    const float price = ParseFloat(fields[10]);
    const float change = ParseFloat(fields[7]);
    // "1e309", "inf" or "nan" is no price: it would raise alerts at "inf元", and a "nan" kept as
    // the previous price would let no later crossing fire.
    if (!std::isfinite(previous_close) || !std::isfinite(price) || !std::isfinite(change)) {
        return quote;
    }
    quote.kind = Quote::Kind::kGood;
    quote.name = ShownField(fields[1], kMaxNameBytes);
    quote.last_text = ShownField(fields[10], kMaxNumberBytes);
    quote.previous_close_text = ShownField(fields[2], kMaxNumberBytes);
    quote.open_text = ShownField(fields[3], kMaxNumberBytes);
    quote.previous_close = previous_close;
    quote.price = price;
    quote.change = change;
    return quote;
}

}  // namespace tickra
