#include "history/balance_run_win.h"

#include <utility>

namespace tickra {

namespace {

struct PriceRequest {
    AbortableHttpFunction http;
    HistoryHosts hosts;
    LocalTime now;
    std::string code;
};

BalanceRun::Priced ComputePrice(const PriceRequest& request, TransferControl& control) {
    const HttpFunction bound = BindControl(request.http, TransferKind::kHistory, control);
    const HistoryFetch fetch = [&](std::string_view code, std::string_view provider) {
        return request.now ? FetchHistoryTable(code, provider, bound, request.hosts, *request.now)
                           : std::string();
    };
    BalanceRun::Priced priced;
    priced.price = ComputeBalancePrice(request.code, fetch, priced.data_date);
    return priced;
}

}  // namespace

BalanceRun::BalanceRun(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http,
                       HistoryHosts hosts)
    : mailbox_(mailbox),
      http_(std::move(http)),
      hosts_(std::move(hosts)),
      task_("balance price", std::move(mailbox)) {}

void BalanceRun::Start(std::vector<BalanceItem> items, LocalTime now, ResultHandler on_result) {
    Stop();
    items_ = std::move(items);
    now_ = now;
    on_result_ = std::move(on_result);
    Next();
}

void BalanceRun::Next() {
    if (!running()) {
        return;
    }
    const BalanceItem& item = items_[done_];
    if (!task_.CanStart()) {
        // Told through the mailbox, as an answer would be: the owner is never called back from
        // inside its own call.
        mailbox_->Post("balance price", [this, run = run_, item] {
            if (run == run_ && running()) {
                Deliver(item, -1.0f, {});
            }
        });
        return;
    }
    task_.Start(
        ComputePrice, PriceRequest{http_, hosts_, now_, item.code},
        [this, item](const Priced& priced) { Deliver(item, priced.price, priced.data_date); },
        std::chrono::steady_clock::now());
}

void BalanceRun::Deliver(const BalanceItem& item, float price, const std::string& data_date) {
    ++done_;
    const unsigned run = run_;
    on_result_(item, price, data_date);
    if (run == run_) {  // the handler did not stop the run
        Next();
    }
}

void BalanceRun::Stop() {
    ++run_;
    task_.GiveUp();
    items_.clear();
    done_ = 0;
}

void BalanceRun::Cancel() {
    Stop();
    task_.Cancel();
}

bool BalanceRun::Join(std::chrono::steady_clock::time_point deadline) {
    return task_.Join(deadline);
}

}  // namespace tickra
