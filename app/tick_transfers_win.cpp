#include "app/tick_transfers_win.h"

#include <utility>

namespace tickra {

TickTransfers::TickTransfers(HWND owner, AbortableHttpFunction http)
    : owner_(owner), http_(std::move(http)), worker_(std::make_unique<NetWorker>()) {}

void TickTransfers::Deliver(HWND owner, TickTransfers* self, unsigned generation,
                            std::function<void()> result) {
    PostTask(owner, [self, generation, result = std::move(result)] {
        if (generation == self->generation_) {
            result();
        }
    });
}

void TickTransfers::FetchQuote(const std::string& host, const std::string& object,
                               std::function<void(const HttpAnswer& answer)> on_answer) {
    worker_->Post([this, owner = owner_, http = http_, host, object, generation = generation_,
                   on_answer = std::move(on_answer)](TransferControl& control) {
        HttpAnswer answer = http("", "GET", host, object, control);
        Deliver(owner, this, generation,
                [on_answer, answer = std::move(answer)] { on_answer(answer); });
    });
}

void TickTransfers::FetchChart(const std::string& url,
                               std::function<void(const std::wstring& path)> on_done) {
    if (chart_path_.empty()) {
        // The user's temporary folder: the root of drive C: is not writable for most users.
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, folder);
        chart_path_ = std::wstring(folder) + L"stockmin.png";
    }
    chart_in_flight_ = true;
    worker_->Post([this, owner = owner_, url, path = chart_path_, generation = generation_,
                   on_done = std::move(on_done)](TransferControl& control) {
        DownloadToFile(url, path, {}, &control);
        Deliver(owner, this, generation, [this, on_done, path] {
            chart_in_flight_ = false;
            on_done(path);
        });
    });
}

void TickTransfers::Abandon() {
    ++generation_;
    AbandonWorker(worker_);
    worker_ = std::make_unique<NetWorker>();
    chart_in_flight_ = false;
}

void TickTransfers::Stop(std::chrono::milliseconds bound) {
    worker_->Stop(bound);
}

}  // namespace tickra
