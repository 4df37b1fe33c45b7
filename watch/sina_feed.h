// 新浪's batch quotes: one GBK line per code, "var hq_str_sh600000=\"name,open,...\";".
#pragma once

#include "watch/quote_feed.h"

namespace tickra {

class SinaFeed final : public QuoteFeed {
public:
    FeedId id() const override { return FeedId::kSina; }
    size_t max_codes() const override { return 100; }
    FeedRequest Request(std::span<const std::string> codes, const LocalTime& now) const override;
    FeedQuotes Parse(std::string_view body, std::span<const std::string> codes) const override;
};

}  // namespace tickra
