#include "app/tick_transfers_win.h"

#include <utility>

#include "base/file_win.h"

namespace tickra {

TickTransfers::TickTransfers(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http)
    : mailbox_(std::move(mailbox)), http_(std::move(http)), worker_(std::make_unique<NetWorker>()) {}

void TickTransfers::FetchQuote(const std::string& host, const std::string& object,
                               std::function<void(const HttpAnswer& answer)> on_answer) {
    // An answer that comes after its check was given up still arrives: the cycle knows it.
    worker_->Post([mailbox = mailbox_, http = http_, host, object,
                   on_answer = std::move(on_answer)](TransferControl& control) {
        HttpAnswer answer = http("", "GET", host, object, control);
        mailbox->Post([on_answer, answer = std::move(answer)] { on_answer(answer); });
    });
}

void TickTransfers::FetchChart(const std::string& url,
                               std::function<void(std::optional<ChartPicture> picture)> on_done) {
    if (chart_path_.empty()) {
        // The user's temporary folder: the root of drive C: is not writable for most users.
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, folder);
        chart_path_ = std::wstring(folder) + L"stockmin.png";
    }
    chart_in_flight_ = true;
    // The worker may outlive this object: it is reached only from the owner's thread.
    worker_->Post([this, mailbox = mailbox_, decoder = decoder_, url, path = chart_path_,
                   generation = generation_,
                   on_done = std::move(on_done)](TransferControl& control) {
        std::shared_ptr<ChartPicture> picture;
        if (DownloadToFile(url, path, {}, &control)) {
            // Decoded here: a large picture would hold the window thread for a tick or more.
            if (auto decoded = decoder->Decode(ReadFileBytes(path, 16u << 20))) {
                picture = std::make_shared<ChartPicture>(std::move(*decoded));
            }
        }
        mailbox->Post([this, generation, on_done, picture] {
            if (generation != generation_) {
                return;  // given up; a newer download may be under way
            }
            chart_in_flight_ = false;
            on_done(picture ? std::optional<ChartPicture>(std::move(*picture)) : std::nullopt);
        });
    });
}

void TickTransfers::Abandon() {
    ++generation_;  // a chart download of the old worker is not shown
    DropWorker(worker_);
    worker_ = std::make_unique<NetWorker>();
    chart_in_flight_ = false;
}

void TickTransfers::Stop(std::chrono::milliseconds bound) {
    worker_->Stop(bound);
}

}  // namespace tickra
