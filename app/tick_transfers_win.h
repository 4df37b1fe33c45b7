// The tick's transfers, the quote check and the chart picture, each kind on a thread of its own,
// so that a slow or silent provider never stops the dialog or the ticker, and a stuck chart host
// never delays a quote.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/mailbox.h"
#include "chart/chart_picture_win.h"
#include "net/http.h"
#include "net/http_client_win.h"
#include "net/net_task_win.h"
#include "watch/quote_feed.h"

namespace tickra {

class TickTransfers {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // mailbox: where the results go, to the owner's thread.
    TickTransfers(const std::shared_ptr<Mailbox>& mailbox, AbortableHttpFunction http);

    // Asks a feed's host for the object; the answer reaches on_answer on the owner's thread unless
    // the transfer was given up first. Each feed has a thread of its own, so that a feed whose
    // host hangs never holds up the next one. False, and nothing asked, while a given-up transfer
    // of the feed still runs: its host is taken to be down.
    bool FetchQuote(FeedId feed, const std::string& host, const FeedRequest& request, TimePoint now,
                    std::function<void(const HttpAnswer& answer)> on_answer);
    // Downloads the chart picture into the user's temporary folder and decodes it there too;
    // on_done gets the picture on the owner's thread, or nothing when none came. False, and
    // nothing asked, while a chart transfer is under way or a given-up one still runs.
    bool FetchChart(const std::string& url, TimePoint now,
                    std::function<void(std::optional<ChartPicture> picture)> on_done);
    bool chart_in_flight() const { return chart_.busy(); }

    // Gives up the transfers under way for limit or longer, each kind on its own.
    struct GivenUp {
        bool quote = false, chart = false;
    };
    GivenUp GiveUpOverdue(TimePoint now, std::chrono::steady_clock::duration limit);
    bool quote_in_flight() const;

    // Exit: everything under way aborts at once; Join then waits for the threads until the
    // deadline and lets go of the rest.
    void Cancel();
    bool Join(TimePoint deadline);

private:
    AbortableHttpFunction http_;
    std::array<std::unique_ptr<NetTask<HttpAnswer>>, kFeedCount> quotes_;
    NetTask<std::optional<ChartPicture>> chart_;
    std::wstring chart_path_;
    std::shared_ptr<ChartDecoder> decoder_ = std::make_shared<ChartDecoder>();
};

}  // namespace tickra
