#include "app/tick_transfers_win.h"

#include <utility>

#include "base/file_win.h"

namespace tickra {

namespace {

struct QuoteRequest {
    AbortableHttpFunction http;
    std::string host, object;
};

HttpAnswer AskForQuote(const QuoteRequest& request, TransferControl& control) {
    return request.http("", "GET", request.host, request.object, TransferKind::kQuote, control);
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

TickTransfers::TickTransfers(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http)
    : http_(std::move(http)), quote_("quote", mailbox), chart_("chart picture", mailbox) {}

bool TickTransfers::FetchQuote(const std::string& host, const std::string& object, TimePoint now,
                               std::function<void(const HttpAnswer& answer)> on_answer) {
    if (!quote_.CanStart()) {
        return false;
    }
    quote_.Start(AskForQuote, QuoteRequest{http_, host, object}, std::move(on_answer), now);
    return true;
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
    return {quote_.GiveUpIfOverdue(now, limit), chart_.GiveUpIfOverdue(now, limit)};
}

void TickTransfers::Cancel() {
    quote_.Cancel();
    chart_.Cancel();
}

bool TickTransfers::Join(TimePoint deadline) {
    const bool quote = quote_.Join(deadline);
    return chart_.Join(deadline) && quote;
}

}  // namespace tickra
