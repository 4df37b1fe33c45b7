// The upgrade offer: shows the new version's description, downloads the new program and hands it
// to the renaming program, or tells the user how to finish by hand.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "net/http_client_win.h"
#include "net/net_task_win.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "update/update_notice.h"

namespace tickra {

struct UpgradeServices {
    // Runs on a worker; the control aborts it, progress is told on the worker's thread.
    std::function<DownloadResult(const std::string& url, const std::wstring& path,
                                 const TransferLimits& limits, TransferControl& control,
                                 const DownloadProgress& progress)>
        download;
    ui::MessageBoxFunction message_box;
    // Starts the renamer hidden and held; empty when it could not be started. What it returns
    // lets the renamer run (true) or ends it unrun (false), and tells whether that was done.
    using HeldRenamer = std::function<bool(bool run)>;
    std::function<HeldRenamer(HWND owner, const std::wstring& renamer)> start_renamer;
    // The folder of the image and the renamer: the process's current directory.
    std::wstring folder;
    // The publisher's public key (128 hexadecimal digits); empty: nothing can be verified.
    std::string public_key;
    // The running program's version: only a newer one is handed over.
    std::string running_version;
};

UpgradeServices DefaultUpgradeServices();

// A download that did not end in a hand-over leaves nothing but this name behind, and only when
// the program ended during it; the next start removes it.
void RemoveUnfinishedUpgrade(const std::wstring& folder);

class CUpGradeDlg : public ui::Dialog {
public:
    // How the offer ended: the user cancelled it, or the new program was handed over and this one
    // must end. Told from inside the dialog's own handlers: the owner acts on it later.
    enum class End { kCancelled, kHandedOver };

    CUpGradeDlg(UpdateNotice offer, UpgradeServices services, std::function<void(End)> on_end);

    bool PreTranslateMessage(MSG& message) override;

    // "升级": downloads on a worker, with the progress bar following; the check and the hand-over
    // or the explanation follow when the download has ended.
    void Upgrade();
    bool downloading() const { return download_ && download_->busy(); }

    // True while the hand-over waits in a message box, whose loop delivers Exit.
    bool busy() const { return busy_; }
    // Exit while busy: the window goes at once, and the waiting handler hands nothing over.
    void Abandon();

    // What became of a download: handed over only when it is a whole program with the
    // publisher's signature, of the version offered.
    // A default Verdict, which a download that failed to run comes back as, is no success.
    enum class Verdict { kIncomplete, kVerified, kUnsigned, kNotOffered, kNotSaved };

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    void OnDownloaded(Verdict verdict);
    void AddLine(std::string_view line);

    UpdateNotice offer_;
    UpgradeServices services_;
    std::function<void(End)> on_end_;
    // Made with the first press, once the dialog has its mailbox.
    std::unique_ptr<NetTask<Verdict>> download_;
    bool busy_ = false;
    bool abandoned_ = false;
};

}  // namespace tickra
