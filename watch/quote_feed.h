// The quote feeds Tickra can ask, each behind the same small interface: the request for a set of
// codes, and the parse of an answer into quotes by code.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/local_time.h"
#include "watch/quote.h"

namespace tickra {

enum class FeedId { kClassic, kSina, kTencent, kEastmoney };
inline constexpr size_t kFeedCount = 4;
inline constexpr std::array<FeedId, kFeedCount> kDefaultFeedOrder{
    FeedId::kClassic, FeedId::kSina, FeedId::kTencent, FeedId::kEastmoney};

// The feed's name as the user sees it ("基本行情", "新浪", "腾讯", "东方财富"), GB2312.
const char* FeedName(FeedId feed);
// Its name in tickra.ini: "classic", "sina", "tencent", "eastmoney".
const char* FeedKey(FeedId feed);

// A stock's code as the batch feeds name it: "sh" for 5xxxxx, 6xxxxx and 90xxxx, "bj" for
// 4xxxxx, 8xxxxx and 92xxxx, "sz" for the other six-digit codes; the composite index "1A0001" is
// "sh000001". Empty for a code no batch feed can be asked for (not six digits). code must be
// upper-cased.
std::string MarketCode(std::string_view code);

struct FeedRequest {
    std::string object;   // the object name, with its leading "/" (none for the classic feed)
    std::string headers;  // extra request headers, each ending in "\r\n"; usually empty
};

// What one answer told.
struct FeedQuotes {
    // The answer is in the feed's format. False for a page, garbage, a JSON error: the feed failed.
    bool in_format = false;
    // By the code as it was asked for. A good or suspended quote, or a missing one for a record
    // that is there but cannot be used (short, another code, no finite numbers). A code without
    // an entry is one the feed does not know.
    std::map<std::string, Quote, std::less<>> quotes;
    // The newest time the records carry, as a number that grows with it (e.g. 20261209143005);
    // 0 when they carry none. It tells a feed that answers but has stopped moving.
    int64_t newest = 0;
};

class QuoteFeed {
public:
    virtual ~QuoteFeed() = default;
    virtual FeedId id() const = 0;
    // How many codes one request may name: 1 for the classic feed.
    virtual size_t max_codes() const = 0;
    // codes: upper-cased, as the watch list holds them, at most max_codes() of them; a code
    // without a market code is left out of the request.
    virtual FeedRequest Request(std::span<const std::string> codes, const LocalTime& now) const = 0;
    virtual FeedQuotes Parse(std::string_view body, std::span<const std::string> codes) const = 0;
};

// Turns UTF-8 text into the program's GB2312; the platform's conversion, or a test's.
using Utf8ToProgramText = std::function<std::string(std::string_view utf8)>;

// utf8: for the feeds that answer in UTF-8.
std::unique_ptr<QuoteFeed> MakeFeed(FeedId feed, const Utf8ToProgramText& utf8);

}  // namespace tickra
