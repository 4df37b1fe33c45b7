#include "watch/feed_router.h"

#include <algorithm>

#include "watch/refresh_cycle.h"

namespace tickra {

FeedOrder ParseFeedOrder(std::string_view text) {
    FeedOrder order{};
    size_t count = 0;
    unsigned named = 0;
    auto add = [&](FeedId feed) {
        if ((named & FeedRouter::Bit(feed)) == 0) {
            named |= FeedRouter::Bit(feed);
            order[count++] = feed;
        }
    };
    for (size_t start = 0; start <= text.size();) {
        const size_t comma = std::min(text.find(',', start), text.size());
        std::string_view key = text.substr(start, comma - start);
        // A hand-edited file may put blanks around the names.
        key.remove_prefix(std::min(key.find_first_not_of(" \t"), key.size()));
        key.remove_suffix(key.size() - std::min(key.find_last_not_of(" \t") + 1, key.size()));
        for (FeedId feed : kDefaultFeedOrder) {
            if (key == FeedKey(feed)) {
                add(feed);
            }
        }
        start = comma + 1;
    }
    for (FeedId feed : kDefaultFeedOrder) {
        add(feed);
    }
    return order;
}

std::string FeedOrderText(const FeedOrder& order) {
    std::string text;
    for (FeedId feed : order) {
        text += (text.empty() ? "" : ",") + std::string(FeedKey(feed));
    }
    return text;
}

void FeedRouter::Choose(FeedId feed) {
    const auto chosen = std::find(order_.begin(), order_.end(), feed);
    std::rotate(order_.begin(), chosen, chosen + 1);
    feeds_[Index(feed)].retry_at = {};
}

std::optional<FeedId> FeedRouter::Next(unsigned tried, TimePoint now) const {
    for (FeedId feed : order_) {
        if ((tried & Bit(feed)) == 0 && feeds_[Index(feed)].retry_at <= now) {
            return feed;
        }
    }
    if (tried == 0) {
        return first();
    }
    return std::nullopt;
}

bool FeedRouter::Answered(FeedId feed, int64_t newest, TimePoint now, const LocalTime& local) {
    State& state = feeds_[Index(feed)];
    if (!state.answered || newest > state.newest) {
        state.answered = true;
        state.newest = std::max(newest, state.newest);
        state.moved_at = now;
    }
    const bool trading =
        local && local->tm_wday >= 1 && local->tm_wday <= 5 && InTradingWindow(MinuteOfDay(local));
    if (newest != 0 && trading && now - state.moved_at >= kStaleAfter) {
        return false;
    }
    state.health = {};
    state.wait = std::chrono::seconds{0};
    state.retry_at = {};
    in_use_ = feed;
    return true;
}

void FeedRouter::Failed(FeedId feed, QuoteTrouble trouble, unsigned long status,
                        const std::string& since, TimePoint now) {
    State& state = feeds_[Index(feed)];
    if (state.health.trouble == QuoteTrouble::kNone) {
        state.health.since = since;
    }
    state.health.trouble = trouble;
    state.health.status = status;
    state.wait = state.wait.count() == 0 ? kFirstWait : std::min(state.wait * 2, kLongestWait);
    state.retry_at = now + state.wait;
}

}  // namespace tickra
