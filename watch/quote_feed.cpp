#include "watch/quote_feed.h"

#include "base/mbcs.h"
#include "watch/eastmoney_feed.h"
#include "watch/sina_feed.h"
#include "watch/tencent_feed.h"

namespace tickra {

namespace {

// The feed that names one stock per request by a seven-character code, and answers with one
// apostrophe-quoted record of ";"-separated fields.
class ClassicFeed final : public QuoteFeed {
public:
    FeedId id() const override { return FeedId::kClassic; }
    size_t max_codes() const override { return 1; }

    FeedRequest Request(std::span<const std::string> codes, const LocalTime& now) const override {
        return {QuoteObjectName(now, FeedCode(codes.front())), {}};
    }

    FeedQuotes Parse(std::string_view body, std::span<const std::string> codes) const override {
        FeedQuotes answer;
        const Quote quote = ParseQuote(body, FeedCode(codes.front()));
        // A short answer is the feed's own word for a code it does not know; a longer one without
        // a whole record (a page, garbage) is not the feed's answer at all.
        answer.in_format =
            quote.kind != Quote::Kind::kMissing || body.size() <= 50 || HasWholeRecord(body);
        if (answer.in_format) {
            answer.quotes.emplace(codes.front(), quote);
        }
        return answer;
    }

private:
    static bool HasWholeRecord(std::string_view body) {
        const size_t open = FindMbcs(body, '\'');
        if (open == std::string_view::npos) {
            return false;
        }
        const size_t close = FindMbcs(body, '\'', open + 1);
        const std::string_view record =
            body.substr(open + 1, close == std::string_view::npos ? close : close - open - 1);
        size_t separators = 0;
        for (size_t at = FindMbcs(record, ';'); at != std::string_view::npos;
             at = FindMbcs(record, ';', at + 1)) {
            ++separators;
        }
        return separators >= 10;
    }
};

}  // namespace

namespace {
struct FeedNames {
    const char* name;  // as the user sees it
    const char* key;   // in tickra.ini
};
// By FeedId.
constexpr FeedNames kFeedNames[kFeedCount] = {
    {"基本行情", "classic"}, {"新浪", "sina"}, {"腾讯", "tencent"}, {"东方财富", "eastmoney"}};
}  // namespace

const char* FeedName(FeedId feed) {
    return kFeedNames[static_cast<size_t>(feed)].name;
}

const char* FeedKey(FeedId feed) {
    return kFeedNames[static_cast<size_t>(feed)].key;
}

std::unique_ptr<QuoteFeed> MakeFeed(FeedId feed, const Utf8ToProgramText& utf8) {
    switch (feed) {
        case FeedId::kClassic:
            return std::make_unique<ClassicFeed>();
        case FeedId::kSina:
            return std::make_unique<SinaFeed>();
        case FeedId::kTencent:
            return std::make_unique<TencentFeed>();
        case FeedId::kEastmoney:
            return std::make_unique<EastmoneyFeed>(utf8);
    }
    return nullptr;
}

}  // namespace tickra
