// What the batch feeds (新浪, 腾讯, 东方财富) share: finding the asked code a record answers, and
// reading a record's texts into a quote the same way for all of them.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "watch/quote.h"
#include "watch/quote_feed.h"

namespace tickra {

// The asked codes by the key a feed's records carry ("sh600000", or "1.600000").
class AskedCodes {
public:
    using FeedKey = std::string (*)(std::string_view market_code);
    // feed_key turns a market code into the records' key; none: the market code itself.
    explicit AskedCodes(std::span<const std::string> codes, FeedKey feed_key = nullptr);
    // The code as asked for a record's key; nullptr when no asked code has that key.
    const std::string* Find(std::string_view key) const;

private:
    std::map<std::string, std::string, std::less<>> by_key_;
};

// The market codes of the codes that have one, joined by commas; each through feed_key if given.
std::string JoinedMarketCodes(std::span<const std::string> codes,
                              AskedCodes::FeedKey feed_key = nullptr);

// A decimal as the feeds write prices: digits with at most one point, optionally signed. No
// blanks, exponents, "inf", "nan" or "-", so that a number is either read whole or not at all.
bool IsPlainNumber(std::string_view text);
// A plain number whose value is zero ("0", "0.000").
bool IsPlainZero(std::string_view text);

// A good quote from a record's texts, or a missing one when a number is not plain or not finite
// as a float. The change is measured against the previous close.
Quote QuoteFromTexts(std::string_view name, std::string_view last, std::string_view previous_close,
                     std::string_view open);

// Keeps the first record for a code: a feed that repeats a code cannot replace what it said.
// Returns whether the quote was kept.
bool Keep(FeedQuotes& result, const std::string& asked, Quote quote);

// Splits text at each separator outside a double-byte character into at most fields.size()
// fields; returns how many there are. The last field kept runs to the next separator or the end.
size_t SplitFields(std::string_view text, char separator, std::span<std::string_view> fields);

// Reads the record of one code from its text between the quotes; key is the record's market code.
// Sets time to the time it carries as a growing number, or leaves it at -1.
using ReadLineRecord = Quote (*)(std::string_view key, std::string_view text, int64_t& time);

// Parses an answer of lines such as head + "sh600000=\"...\";": in format with at least one such
// line, an empty record for a code the feed does not know, a record without its closing quote
// missing (the transfer cut it), the first record for a code kept.
FeedQuotes ParseLineRecords(std::string_view body, std::span<const std::string> codes,
                            std::string_view head, ReadLineRecord read);

// The digits of text when it has exactly the shape given, where '#' stands for a digit and any
// other character for itself ("####-##-##"); -1 when it has another shape.
int64_t ShapedDigits(std::string_view text, std::string_view shape);

}  // namespace tickra
