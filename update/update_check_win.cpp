#include "update/update_check_win.h"

#include <utility>

namespace tickra {

void StartUpdateCheck(NetWorker& worker, std::shared_ptr<Mailbox> mailbox,
                      AbortableHttpFunction http, std::string host, Clock clock,
                      std::function<void(const std::optional<UpdateNotice>& notice)> on_report) {
    worker.Post([mailbox = std::move(mailbox), http = std::move(http), host = std::move(host),
                 clock = std::move(clock),
                 on_report = std::move(on_report)](TransferControl& control) {
        const std::string page =
            http("", "GET", host, UpdatePageObject(clock()), TransferKind::kUpdatePage, control)
                .body;
        if (control.aborted()) {
            return;
        }
        mailbox->Post([on_report, notice = ParseUpdateNotice(page)] { on_report(notice); });
    });
}

}  // namespace tickra
