// 腾讯's batch quotes: one GBK line per code, "v_sh600000=\"1~name~600000~last~...\";", the fields
// separated by "~", which may also be the trail byte of a name's character.
#pragma once

#include "watch/quote_feed.h"

namespace tickra {

class TencentFeed final : public QuoteFeed {
public:
    FeedId id() const override { return FeedId::kTencent; }
    size_t max_codes() const override { return 100; }
    FeedRequest Request(std::span<const std::string> codes, const LocalTime& now) const override;
    FeedQuotes Parse(std::string_view body, std::span<const std::string> codes) const override;
};

}  // namespace tickra
