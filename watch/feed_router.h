// Which feed a tick asks: the user's first choice while it answers well, the next one in the
// user's order in the same tick when it does not, and the first choice again once its wait is
// over and it answers well. A feed that answers but whose time has stopped moving is failing too.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/local_time.h"
#include "watch/quote_feed.h"
#include "watch/stock_entry.h"

namespace tickra {

using FeedOrder = std::array<FeedId, kFeedCount>;

// The order as tickra.ini keeps it: "classic,sina,tencent,eastmoney". Names that are not a
// feed's, and a feed's second mention, are passed over; the feeds it leaves out follow in the
// default order.
FeedOrder ParseFeedOrder(std::string_view text);
std::string FeedOrderText(const FeedOrder& order);

// Why a feed is not used, and since when.
struct FeedHealth {
    QuoteTrouble trouble = QuoteTrouble::kNone;
    unsigned long status = 0;  // the HTTP status of kHttpStatus
    std::string since;         // HH:MM:SS of the failure that began the trouble
};

class FeedRouter {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    // A failed feed is asked again after the first wait, each wait twice the last, up to the
    // longest. A feed is stale once its newest time has not moved this long in trading time.
    static constexpr std::chrono::seconds kFirstWait{60};
    static constexpr std::chrono::seconds kLongestWait{600};
    static constexpr std::chrono::seconds kStaleAfter{60};

    explicit FeedRouter(const FeedOrder& order = kDefaultFeedOrder) : order_(order) {}

    const FeedOrder& order() const { return order_; }
    FeedId first() const { return order_[0]; }
    // Makes feed the first choice, the others following in their order; it is asked at the next
    // tick, even while it waits after a failure.
    void Choose(FeedId feed);

    // The next feed to ask in a tick that has tried those in `tried` (a bit per feed): the first
    // in order that has not been tried and is not waiting. When every feed waits at the start of
    // a tick, the first choice is asked all the same, so that a network that comes back is seen
    // at once. None when the tick has nothing left to try.
    std::optional<FeedId> Next(unsigned tried, TimePoint now) const;
    static unsigned Bit(FeedId feed) { return 1u << static_cast<unsigned>(feed); }

    // The feed answered in its format, its records' newest time being `newest` (0: they carry
    // none). False when the feed is stale: within trading time on a weekday, its newest time has
    // not moved for kStaleAfter. The caller then counts it as failed.
    bool Answered(FeedId feed, int64_t newest, TimePoint now, const LocalTime& local);
    // The feed failed: it waits before it is asked again. since: the local time, HH:MM:SS.
    void Failed(FeedId feed, QuoteTrouble trouble, unsigned long status, const std::string& since,
                TimePoint now);

    const FeedHealth& health(FeedId feed) const { return feeds_[Index(feed)].health; }
    // The feed whose answer was used last; the first choice before any.
    FeedId in_use() const { return in_use_; }

private:
    static size_t Index(FeedId feed) { return static_cast<size_t>(feed); }
    struct State {
        FeedHealth health;
        TimePoint retry_at{};
        std::chrono::seconds wait{0};
        bool answered = false;
        int64_t newest = 0;
        TimePoint moved_at{};  // when newest last grew
    };

    FeedOrder order_;
    std::array<State, kFeedCount> feeds_{};
    FeedId in_use_ = order_[0];
};

}  // namespace tickra
