#include "history/balance_run_win.h"

#include <utility>

namespace tickra {

BalanceRun::BalanceRun(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http,
                       HistoryHosts hosts)
    : mailbox_(std::move(mailbox)), http_(std::move(http)), hosts_(std::move(hosts)) {}

void BalanceRun::Start(std::vector<BalanceItem> items, LocalTime now, ResultHandler on_result) {
    Cancel();
    StopWorker(worker_);  // an earlier run's thread, if stuck, ends by itself
    worker_ = std::make_unique<NetWorker>();
    on_result_ = std::move(on_result);
    total_ = items.size();
    done_ = 0;
    worker_->Post([this, mailbox = mailbox_, http = http_, hosts = hosts_, now,
                   items = std::move(items),
                   generation = generation_.Next()](TransferControl& control) {
        const HttpFunction bound = BindControl(http, control);
        const HistoryFetch fetch = [&](std::string_view code, std::string_view provider) {
            return now ? FetchHistoryTable(code, provider, bound, hosts, *now) : std::string();
        };
        for (const BalanceItem& item : items) {
            if (control.aborted()) {
                return;
            }
            std::string data_date;
            const float price = ComputeBalancePrice(item.code, fetch, data_date);
            mailbox->Post([this, generation, item, price, data_date] {
                Deliver(generation, item, price, data_date);
            });
        }
    });
}

void BalanceRun::Deliver(unsigned generation, const BalanceItem& item, float price,
                         const std::string& data_date) {
    if (!generation_.IsCurrent(generation) || !running()) {
        return;  // stopped meanwhile
    }
    ++done_;
    on_result_(item, price, data_date);
}

void BalanceRun::Cancel() {
    generation_.Drop();
    if (worker_) {
        worker_->Cancel();
    }
    total_ = done_ = 0;
}

bool BalanceRun::Join(std::chrono::steady_clock::time_point deadline) {
    return !worker_ || worker_->Join(deadline);
}

}  // namespace tickra
