#include "app/tick_transfers_win.h"

#include <utility>

#include "base/file_win.h"

namespace tickra {

TickTransfers::TickTransfers(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http)
    : mailbox_(std::move(mailbox)), http_(std::move(http)) {}

bool TickTransfers::FetchQuote(const std::string& host, const std::string& object, TimePoint now,
                               std::function<void(const HttpAnswer& answer)> on_answer) {
    if (!quote_.CanStart()) {
        return false;
    }
    // The job may outlive this object: it reaches it only through the mailbox, on the owner's
    // thread, where the answer is checked against the slot.
    quote_.Start(
        [&](unsigned generation) {
            return [this, mailbox = mailbox_, http = http_, host, object, generation,
                    on_answer = std::move(on_answer)](TransferControl& control) {
                HttpAnswer answer = http("", "GET", host, object, TransferKind::kQuote, control);
                mailbox->Post([this, generation, on_answer, answer = std::move(answer)] {
                    if (quote_.Finish(generation)) {
                        on_answer(answer);
                    }
                });
            };
        },
        now);
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
    chart_.Start(
        [&](unsigned generation) {
            return [this, mailbox = mailbox_, decoder = decoder_, url, path = chart_path_,
                    generation, on_done = std::move(on_done)](TransferControl& control) {
                std::shared_ptr<ChartPicture> picture;
                if (DownloadUrlToFile(url, path, LimitsFor(TransferKind::kChart), &control)
                        .completed) {
                    // Decoded here: a large picture would hold the window thread for a tick.
                    if (auto decoded = decoder->Decode(ReadFileBytes(path, 16u << 20))) {
                        picture = std::make_shared<ChartPicture>(std::move(*decoded));
                    }
                }
                mailbox->Post([this, generation, on_done, picture] {
                    if (chart_.Finish(generation)) {
                        on_done(picture ? std::optional<ChartPicture>(std::move(*picture))
                                        : std::nullopt);
                    }
                });
            };
        },
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
