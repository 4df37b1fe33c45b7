#include "watch/tencent_feed.h"

#include <array>

#include "watch/batch_feed.h"

namespace tickra {

namespace {
// Field numbers in a stock's or an index's record.
constexpr size_t kName = 1;
constexpr size_t kCode = 2;
constexpr size_t kLast = 3;
constexpr size_t kPreviousClose = 4;
constexpr size_t kOpen = 5;
constexpr size_t kTime = 30;  // "20261209143005"
constexpr size_t kLimitUp = 47;
constexpr size_t kLimitDown = 48;
constexpr size_t kFieldsUsed = kTime + 1;  // a record may end before its limit prices

Quote ReadRecord(std::string_view key, std::string_view text, int64_t& time) {
    // "~" is also the trail byte of some characters (such as "瓇"): SplitFields steps over them.
    std::array<std::string_view, kLimitDown + 1> fields;
    // The record repeats its code without the market: one that names another stock than its
    // line must not show that stock's price as this one's.
    const size_t count = SplitFields(text, '~', fields);
    if (count < kFieldsUsed || key.size() < 2 || fields[kCode] != key.substr(2)) {
        return {};
    }
    time = ShapedDigits(fields[kTime], "##############");
    if (IsPlainZero(fields[kOpen])) {
        Quote suspended;
        suspended.kind = Quote::Kind::kSuspended;
        return suspended;
    }
    Quote quote =
        QuoteFromTexts(fields[kName], fields[kLast], fields[kPreviousClose], fields[kOpen]);
    if (quote.kind == Quote::Kind::kGood && count > kLimitDown && IsPlainNumber(fields[kLimitUp]) &&
        IsPlainNumber(fields[kLimitDown])) {
        quote.limit_up_text = ShownField(fields[kLimitUp], kMaxNumberBytes);
        quote.limit_down_text = ShownField(fields[kLimitDown], kMaxNumberBytes);
    }
    return quote;
}
}  // namespace

FeedRequest TencentFeed::Request(std::span<const std::string> codes, const LocalTime&) const {
    return {"/q=" + JoinedMarketCodes(codes), ""};
}

// "v_pv_none_match=\"1\";" answers codes the feed does not know: in format, naming none of them.
FeedQuotes TencentFeed::Parse(std::string_view body, std::span<const std::string> codes) const {
    return ParseLineRecords(body, codes, "v_", ReadRecord);
}

}  // namespace tickra
