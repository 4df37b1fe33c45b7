#include "watch/batch_feed.h"

#include <algorithm>
#include <cmath>

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

namespace {
// "sh600000", "pv_none_match": what a record line names, in ASCII letters, digits and "_".
bool IsRecordKey(std::string_view key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}
}  // namespace

AskedCodes::AskedCodes(std::span<const std::string> codes, FeedKey feed_key) {
    for (const std::string& code : codes) {
        std::string market_code = MarketCode(code);
        if (!market_code.empty()) {
            by_key_.emplace(feed_key ? feed_key(market_code) : std::move(market_code), code);
        }
    }
}

const std::string* AskedCodes::Find(std::string_view key) const {
    const auto found = by_key_.find(key);
    return found == by_key_.end() ? nullptr : &found->second;
}

std::string JoinedMarketCodes(std::span<const std::string> codes, AskedCodes::FeedKey feed_key) {
    std::string joined;
    for (const std::string& code : codes) {
        const std::string market_code = MarketCode(code);
        if (market_code.empty()) {
            continue;
        }
        if (!joined.empty()) {
            joined += ',';
        }
        joined += feed_key ? feed_key(market_code) : market_code;
    }
    return joined;
}

bool IsPlainNumber(std::string_view text) {
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool IsPlainZero(std::string_view text) {
    return IsPlainNumber(text) && text.find_first_of("123456789") == std::string_view::npos;
}

Quote QuoteFromTexts(std::string_view name, std::string_view last, std::string_view previous_close,
                     std::string_view open) {
    Quote quote;
    if (!IsPlainNumber(last) || !IsPlainNumber(previous_close) || !IsPlainNumber(open)) {
        return quote;
    }
    const float price = ParseFloat(last);
    const float close = ParseFloat(previous_close);
    // Digits beyond a float's range read as infinity, which no alert may compare against.
    if (!std::isfinite(price) || !std::isfinite(close) || !std::isfinite(price - close)) {
        return quote;
    }
    quote.kind = Quote::Kind::kGood;
    quote.name = ShownField(name, kMaxNameBytes);
    quote.last_text = ShownField(last, kMaxNumberBytes);
    quote.previous_close_text = ShownField(previous_close, kMaxNumberBytes);
    quote.open_text = ShownField(open, kMaxNumberBytes);
    quote.previous_close = close;
    quote.price = price;
    quote.change = price - close;
    return quote;
}

bool Keep(FeedQuotes& result, const std::string& asked, Quote quote) {
    return result.quotes.emplace(asked, std::move(quote)).second;
}

int64_t ShapedDigits(std::string_view text, std::string_view shape) {
    if (text.size() != shape.size()) {
        return -1;
    }
    int64_t value = 0;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] != '#') {
            if (text[i] != shape[i]) {
                return -1;
            }
        } else if (text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + (text[i] - '0');
        } else {
            return -1;
        }
    }
    return value;
}

size_t SplitFields(std::string_view text, char separator, std::span<std::string_view> fields) {
    size_t count = 0;
    for (size_t start = 0; count < fields.size() && start <= text.size(); ++count) {
        const size_t found = FindMbcs(text, separator, start);
        if (found == std::string_view::npos) {
            fields[count] = text.substr(start);
            start = text.size() + 1;
        } else {
            fields[count] = text.substr(start, found - start);
            start = found + 1;
        }
    }
    return count;
}

FeedQuotes ParseLineRecords(std::string_view body, std::span<const std::string> codes,
                            std::string_view head, ReadLineRecord read) {
    FeedQuotes result;
    const AskedCodes asked(codes);
    for (size_t start = 0; start < body.size();) {
        const size_t end = std::min(body.find('\n', start), body.size());
        std::string_view line = body.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(head)) {
            continue;
        }
        line.remove_prefix(head.size());
        const size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        if (equals == std::string_view::npos || !IsRecordKey(key) || equals + 1 >= line.size() ||
            line[equals + 1] != '"') {
            continue;
        }
        result.in_format = true;
        const std::string* code = asked.Find(key);
        const std::string_view rest = line.substr(equals + 2);
        const size_t close = FindMbcs(rest, '"');
        if (code == nullptr || close == 0) {
            continue;  // not asked, or a code the feed does not know
        }
        int64_t time = -1;
        const Quote quote =
            close == std::string_view::npos ? Quote() : read(key, rest.substr(0, close), time);
        if (Keep(result, *code, quote) && quote.kind != Quote::Kind::kMissing) {
            result.newest = std::max(result.newest, time);
        }
    }
    return result;
}

}  // namespace tickra
