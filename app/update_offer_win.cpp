#include "app/update_offer_win.h"

#include <utility>

#include "res/messages.h"

namespace tickra {

namespace {

struct UpdateCheckRequest {
    AbortableHttpFunction http;
    std::string host, object;
};

std::optional<UpdateNotice> CheckForUpdate(const UpdateCheckRequest& request,
                                           TransferControl& control) {
    return ParseUpdateNotice(
        request
            .http("", "GET", request.host, request.object, {}, TransferKind::kUpdatePage, control)
            .body);
}

}  // namespace

UpdateOffer::UpdateOffer(HWND owner, DialogServices services, std::shared_ptr<Mailbox> mailbox,
                         Outputs outputs)
    : owner_(owner),
      services_(std::move(services)),
      mailbox_(std::move(mailbox)),
      outputs_(std::move(outputs)),
      check_("update check", mailbox_) {}

void UpdateOffer::Start() {
    RemoveUnfinishedUpgrade(services_.upgrade.folder);
    check_.Start(CheckForUpdate,
                 UpdateCheckRequest{services_.http, services_.update_host,
                                    UpdatePageObject(services_.clock())},
                 [this](const std::optional<UpdateNotice>& notice) { OnNotice(notice); });
}

void UpdateOffer::OnNotice(const std::optional<UpdateNotice>& notice) {
    if (!notice) {
        return;
    }
    if (!notice->announcement.empty()) {
        // Un-escaped once, by the page: twice would turn "&amp;lt;" into markup.
        outputs_.show_announcement(AnnouncementPage(notice->announcement));
    }
    if (notice->upgrade_address.empty() || upgrade_) {
        return;
    }
    // The dialog reports its end from inside its own handlers: it is acted on afterwards.
    upgrade_ = std::make_unique<CUpGradeDlg>(
        *notice, services_.upgrade, [mailbox = mailbox_, this](CUpGradeDlg::End end) {
            mailbox->Post("upgrade end", [this, end] { OnEnd(end); });
        });
    upgrade_->Create(owner_);
    // Shown without taking the focus from whatever the user is doing.
    upgrade_->window().Show(SW_SHOWNOACTIVATE);
    SetWindowPos(upgrade_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void UpdateOffer::OnEnd(CUpGradeDlg::End end) {
    if (end == CUpGradeDlg::End::kHandedOver) {
        outputs_.end_program();
    } else if (upgrade_) {
        upgrade_->window().Show(SW_HIDE);
        SetTimer(owner_, kUpgradeReleaseTimerId,
                 static_cast<UINT>(services_.upgrade_release_delay.count()), nullptr);
    }
}

bool UpdateOffer::OnTimer(UINT_PTR id) {
    if (id != kUpgradeReleaseTimerId) {
        return false;
    }
    KillTimer(owner_, kUpgradeReleaseTimerId);
    Release();
    return true;
}

void UpdateOffer::Cancel() {
    KillTimer(owner_, kUpgradeReleaseTimerId);
    check_.Cancel();
}

bool UpdateOffer::Join(SteadyTime deadline) {
    return check_.Join(deadline);
}

void UpdateOffer::Release() {
    if (upgrade_ && upgrade_->busy()) {
        // One of its handlers waits in a message box: close the window now, free it later.
        upgrade_->Abandon();
        abandoned_ = std::move(upgrade_);
    }
    upgrade_.reset();
}

}  // namespace tickra
