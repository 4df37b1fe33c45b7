#include "watch/sina_feed.h"

#include <array>

#include "watch/batch_feed.h"

namespace tickra {

namespace {
// Field numbers in a stock's or an index's record.
constexpr size_t kName = 0;
constexpr size_t kOpen = 1;
constexpr size_t kPreviousClose = 2;
constexpr size_t kLast = 3;
constexpr size_t kDate = 30;
constexpr size_t kTime = 31;
constexpr size_t kFieldsUsed = kTime + 1;

Quote ReadRecord(std::string_view, std::string_view text, int64_t& time) {
    std::array<std::string_view, kFieldsUsed> fields;
    if (SplitFields(text, ',', fields) < kFieldsUsed) {
        return {};
    }
    const int64_t date = ShapedDigits(fields[kDate], "####-##-##");
    const int64_t clock = ShapedDigits(fields[kTime], "##:##:##");
    time = date < 0 || clock < 0 ? -1 : date * 1000000 + clock;
    // A stock that does not trade today has neither an opening nor a last price.
    if (IsPlainZero(fields[kOpen]) && IsPlainZero(fields[kLast])) {
        Quote suspended;
        suspended.kind = Quote::Kind::kSuspended;
        return suspended;
    }
    return QuoteFromTexts(fields[kName], fields[kLast], fields[kPreviousClose], fields[kOpen]);
}
}  // namespace

FeedRequest SinaFeed::Request(std::span<const std::string> codes, const LocalTime&) const {
    // The provider refuses (403) a request that does not come from its own pages.
    return {"/list=" + JoinedMarketCodes(codes), "Referer: https://finance.sina.com.cn/\r\n"};
}

FeedQuotes SinaFeed::Parse(std::string_view body, std::span<const std::string> codes) const {
    return ParseLineRecords(body, codes, "var hq_str_", ReadRecord);
}

}  // namespace tickra
