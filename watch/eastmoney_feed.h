// 东方财富's batch quotes: one UTF-8 JSON answer, a record per known code under data.diff.
#pragma once

#include "watch/quote_feed.h"

namespace tickra {

class EastmoneyFeed final : public QuoteFeed {
public:
    // utf8: the names come in UTF-8 and are shown as program text.
    explicit EastmoneyFeed(Utf8ToProgramText utf8) : utf8_(std::move(utf8)) {}

    FeedId id() const override { return FeedId::kEastmoney; }
    size_t max_codes() const override { return 100; }
    FeedRequest Request(std::span<const std::string> codes, const LocalTime& now) const override;
    FeedQuotes Parse(std::string_view body, std::span<const std::string> codes) const override;

private:
    Utf8ToProgramText utf8_;
};

}  // namespace tickra
