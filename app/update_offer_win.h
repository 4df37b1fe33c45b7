// The start-up update check and what follows from it: the announcement goes to the panel, and a
// newer version is offered in the upgrade dialog, from its opening to its release.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/dialog_services_win.h"
#include "base/mailbox.h"
#include "net/net_task_win.h"
#include "update/update_notice.h"
#include "update/upgrade_dlg_win.h"

namespace tickra {

class UpdateOffer {
public:
    struct Outputs {
        std::function<void(const std::string& html)> show_announcement;
        std::function<void()> end_program;  // the new program was handed over
    };
    // owner: the main dialog, which owns the upgrade dialog and runs the release timer.
    UpdateOffer(HWND owner, DialogServices services, std::shared_ptr<Mailbox> mailbox,
                Outputs outputs);

    // Removes what a download cut short by the end of the program left, and asks the update
    // page once, on a worker.
    void Start();
    // The owner's timers: true when it was the offer's.
    bool OnTimer(UINT_PTR id);
    CUpGradeDlg* dialog() const { return upgrade_.get(); }

    // Exit: the check aborts at once; Join waits for it until the deadline; Release lets the
    // offer go, at once even while one of its boxes is open.
    void Cancel();
    bool Join(SteadyTime deadline);
    void Release();

private:
    void OnNotice(const std::optional<UpdateNotice>& notice);
    void OnEnd(CUpGradeDlg::End end);

    HWND owner_;
    DialogServices services_;
    std::shared_ptr<Mailbox> mailbox_;
    Outputs outputs_;
    NetTask<std::optional<UpdateNotice>> check_;
    std::unique_ptr<CUpGradeDlg> upgrade_;
    // Closed by Exit while one of its handlers still ran; freed with the owner.
    std::unique_ptr<CUpGradeDlg> abandoned_;
};

}  // namespace tickra
