#include "history/balance_run_win.h"

#include <utility>

namespace tickra {

BalanceRun::BalanceRun(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http,
                       HistoryHosts hosts)
    : mailbox_(std::move(mailbox)), http_(std::move(http)), hosts_(std::move(hosts)) {}

void BalanceRun::Start(std::vector<BalanceItem> items, LocalTime now, ResultHandler on_result) {
    Stop();
    on_result_ = std::move(on_result);
    total_ = items.size();
    done_ = 0;
    if (!worker_) {
        worker_ = std::make_unique<NetWorker>();
    }
    worker_->Post([this, mailbox = mailbox_, http = http_, hosts = hosts_, now,
                   items = std::move(items), generation = generation_](TransferControl& control) {
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
    if (generation != generation_ || !running()) {
        return;  // stopped meanwhile
    }
    ++done_;
    on_result_(item, price, data_date);
}

void BalanceRun::Stop(std::chrono::milliseconds bound) {
    ++generation_;
    if (running()) {
        // A transfer may be stuck for seconds: the worker goes, a new run makes a new one.
        DropWorker(worker_, bound);
    }
    total_ = done_ = 0;
}

}  // namespace tickra
