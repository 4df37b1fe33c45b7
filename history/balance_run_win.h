// Balance prices of several stocks, computed one after another on a thread of their own, so that
// a slow history provider never stops the ticker or the dialog.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/local_time.h"
#include "base/mailbox.h"
#include "history/balance_price.h"
#include "history/history_table.h"
#include "net/http_client_win.h"
#include "net/net_task_win.h"

namespace tickra {

class BalanceRun {
public:
    // A price of -1 is a failed computation; data_date is the date of the table it came from.
    using ResultHandler =
        std::function<void(const BalanceItem& item, float price, const std::string& data_date)>;

    // mailbox: where the results go, to the owner's thread.
    BalanceRun(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http, HistoryHosts hosts);

    // Computes the items' prices for the day of now (none: the clock failed, so every price
    // fails); the results reach on_result one by one, in order, on the owner's thread. While a
    // stopped run's transfer still hangs, its host is taken to be down: every price fails at
    // once, and no second thread waits beside the first.
    void Start(std::vector<BalanceItem> items, LocalTime now, ResultHandler on_result);
    // Ends the run: results not yet delivered are dropped, and a transfer under way is given up
    // without waiting.
    void Stop();
    // Exit: the worker aborts too; Join waits for its threads until the deadline, and lets go.
    void Cancel();
    bool Join(std::chrono::steady_clock::time_point deadline);

    bool running() const { return done_ < items_.size(); }
    size_t done() const { return done_; }
    size_t total() const { return items_.size(); }

    // A price and the date of the table it came from.
    struct Priced {
        float price = -1.0f;
        std::string data_date;
    };

private:
    // Computes the next item's price.
    void Next();
    void Deliver(const BalanceItem& item, float price, const std::string& data_date);

    std::shared_ptr<Mailbox> mailbox_;
    AbortableHttpFunction http_;
    HistoryHosts hosts_;
    NetTask<Priced> task_;  // one price at a time; a stopped one's thread is let go, at most one
    std::vector<BalanceItem> items_;
    LocalTime now_;
    ResultHandler on_result_;
    size_t done_ = 0;
    unsigned run_ = 0;  // which run it is: a stopped one's failures are not delivered
};

}  // namespace tickra
