// The tick's transfers, the quote check and the chart image, one after another on a thread of
// their own, so that a slow or silent provider never stops the dialog or the ticker.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "base/mailbox_win.h"
#include "chart/chart_picture_win.h"
#include "net/http.h"
#include "net/http_client_win.h"
#include "net/net_worker_win.h"

namespace tickra {

class TickTransfers {
public:
    // mailbox: where the results go, to the owner's thread.
    TickTransfers(std::shared_ptr<Mailbox> mailbox, AbortableHttpFunction http);

    // Asks the host for the object; the answer reaches on_answer on the owner's thread, even
    // after Abandon (the refresh cycle drops the answer of a check it gave up).
    void FetchQuote(const std::string& host, const std::string& object,
                    std::function<void(const HttpAnswer& answer)> on_answer);
    // Downloads the chart image into the user's temporary folder and decodes it there too; on_done
    // gets the picture on the owner's thread, or nothing when none came.
    void FetchChart(const std::string& url,
                    std::function<void(std::optional<ChartPicture> picture)> on_done);
    bool chart_in_flight() const { return chart_in_flight_; }

    // Gives up the transfers under way with their thread, which ends by itself some time (a
    // transfer stuck where no bound reaches); a chart download it was making is not delivered.
    void Abandon();
    // Aborts what is under way and waits for the thread up to the bound.
    void Stop(std::chrono::milliseconds bound);

private:
    std::shared_ptr<Mailbox> mailbox_;
    AbortableHttpFunction http_;
    std::unique_ptr<NetWorker> worker_;
    unsigned generation_ = 0;  // of the worker: a chart download of an abandoned one is dropped
    bool chart_in_flight_ = false;
    std::wstring chart_path_;
    std::shared_ptr<ChartDecoder> decoder_ = std::make_shared<ChartDecoder>();
};

}  // namespace tickra
