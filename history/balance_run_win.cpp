#include "history/balance_run_win.h"

#include <utility>

namespace tickra {

BalanceRun::BalanceRun(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http,
                       HistoryHosts hosts)
    : mailbox_(std::move(mailbox)), http_(std::move(http)), hosts_(std::move(hosts)) {}

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
    if (!slot_.CanStart()) {
        // Told through the mailbox, as an answer would be: the owner is never called back from
        // inside its own call.
        mailbox_->Post([this, run = run_, item] {
            if (run == run_ && running()) {
                Deliver(item, -1.0f, {});
            }
        });
        return;
    }
    // The job may outlive this object: it reaches it only through the mailbox, on the owner's
    // thread, where the result is checked against the slot.
    slot_.Start(
        [&](unsigned generation) {
            return [this, mailbox = mailbox_, http = http_, hosts = hosts_, now = now_, item,
                    generation](TransferControl& control) {
                const HttpFunction bound = BindControl(http, TransferKind::kHistory, control);
                const HistoryFetch fetch = [&](std::string_view code, std::string_view provider) {
                    return now ? FetchHistoryTable(code, provider, bound, hosts, *now)
                               : std::string();
                };
                std::string data_date;
                const float price = ComputeBalancePrice(item.code, fetch, data_date);
                mailbox->Post([this, generation, item, price, data_date] {
                    if (slot_.Finish(generation)) {
                        Deliver(item, price, data_date);
                    }
                });
            };
        },
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
    slot_.GiveUp();
    items_.clear();
    done_ = 0;
}

void BalanceRun::Cancel() {
    Stop();
    slot_.Cancel();
}

bool BalanceRun::Join(std::chrono::steady_clock::time_point deadline) {
    return slot_.Join(deadline);
}

}  // namespace tickra
