#include "app/tick_transfers_win.h"

#include <algorithm>
#include <utility>

#include "base/file_win.h"

namespace tickra {

namespace {

struct QuoteRequest {
    AbortableHttpFunction http;
    std::string host;
    FeedRequest request;
};

HttpAnswer AskForQuote(const QuoteRequest& quote, TransferControl& control) {
    return quote.http("", "GET", quote.host, quote.request.object, quote.request.headers,
                      TransferKind::kQuote, control);
}

struct ChartRequest {
    std::string url;
    std::wstring path;
    std::shared_ptr<ChartDecoder> decoder;
};

std::optional<ChartPicture> FetchChartPicture(const ChartRequest& request,
                                              TransferControl& control) {
    if (!DownloadUrlToFile(request.url, request.path, LimitsFor(TransferKind::kChart), &control)
             .completed) {
        return std::nullopt;
    }
    // Decoded here: a large picture would hold the window thread for a tick.
    return request.decoder->Decode(ReadFileBytes(request.path, 16u << 20));
}

}  // namespace

TickTransfers::TickTransfers(const std::shared_ptr<Mailbox>& mailbox, AbortableHttpFunction http)
    : http_(std::move(http)), chart_("chart picture", mailbox) {
    for (auto& quote : quotes_) {
        quote = std::make_unique<NetTask<HttpAnswer>>("quote", mailbox);
    }
}

bool TickTransfers::FetchQuote(FeedId feed, const std::string& host, const FeedRequest& request,
                               TimePoint now,
                               std::function<void(const HttpAnswer& answer)> on_answer) {
    NetTask<HttpAnswer>& quote = *quotes_[static_cast<size_t>(feed)];
    if (!quote.CanStart()) {
        return false;
    }
    quote.Start(AskForQuote, QuoteRequest{http_, host, request}, std::move(on_answer), now);
    return true;
}

bool TickTransfers::quote_in_flight() const {
    return std::any_of(quotes_.begin(), quotes_.end(),
                       [](const auto& quote) { return quote->busy(); });
}

bool TickTransfers::FetchChart(const std::string& url, TimePoint now,
                               std::function<void(std::optional<ChartPicture> picture)> on_done) {
    if (!chart_.CanStart()) {
        return false;
    }
    if (chart_path_.empty()) {
        // The user's temporary folder: the root of drive C: is not writable for most users.
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, folder);
        chart_path_ = std::wstring(folder) + L"stockmin.png";
    }
    chart_.Start(FetchChartPicture, ChartRequest{url, chart_path_, decoder_}, std::move(on_done),
                 now);
    return true;
}

TickTransfers::GivenUp TickTransfers::GiveUpOverdue(TimePoint now,
                                                    std::chrono::steady_clock::duration limit) {
    bool quote = false;
    for (auto& task : quotes_) {
        quote = task->GiveUpIfOverdue(now, limit) || quote;
    }
    return {quote, chart_.GiveUpIfOverdue(now, limit)};
}

void TickTransfers::Cancel() {
    for (auto& quote : quotes_) {
        quote->Cancel();
    }
    chart_.Cancel();
}

bool TickTransfers::Join(TimePoint deadline) {
    bool ended = chart_.Join(deadline);
    for (auto& quote : quotes_) {
        ended = quote->Join(deadline) && ended;
    }
    return ended;
}

}  // namespace tickra
