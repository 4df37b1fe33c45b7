// The start-up update check: one request on a worker thread, whose result reaches the main dialog
// through a channel that the dialog closes when it goes, so nothing is ever written into or
// posted to a dialog that is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/local_time.h"
#include "net/http.h"
#include "update/update_notice.h"

namespace tickra {

class UpdateChannel {
public:
    explicit UpdateChannel(HWND dialog) : dialog_(dialog) {}

    // The dialog is going: the worker will post nothing more.
    void Close();
    // Worker side: keeps the notice and posts its report; false once closed.
    bool Report(std::optional<UpdateNotice> notice);
    // Dialog side: what the worker found, empty when the page had no usable notice.
    std::optional<UpdateNotice> notice() const;

private:
    mutable std::mutex mutex_;
    HWND dialog_;
    bool closed_ = false;
    std::optional<UpdateNotice> notice_;
};

// Starts the worker: it asks the update page once and reports through the channel.
void StartUpdateCheck(std::shared_ptr<UpdateChannel> channel, HttpFunction http, std::string host,
                      Clock clock);

}  // namespace tickra
