// The start-up update check: one request on a worker, whose notice reaches the main dialog through
// its mailbox, so nothing is ever handed to a dialog that is gone.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/local_time.h"
#include "base/mailbox_win.h"
#include "net/http.h"
#include "net/http_client_win.h"
#include "net/net_worker_win.h"
#include "update/update_notice.h"

namespace tickra {

// Asks the update page once, on the worker; on_report gets what it found (nothing when the page
// had no usable notice) on the mailbox's thread.
void StartUpdateCheck(NetWorker& worker, std::shared_ptr<Mailbox> mailbox,
                      AbortableHttpFunction http, std::string host, Clock clock,
                      std::function<void(const std::optional<UpdateNotice>& notice)> on_report);

}  // namespace tickra
