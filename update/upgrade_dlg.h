// The upgrade offer: shows the new version's description, downloads the new program and hands it
// to the renaming program, or tells the user how to finish by hand.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "net/http_client_win.h"
#include "ui/dialog.h"
#include "ui/message_box.h"

namespace tickra {

struct UpgradeServices {
    std::function<DownloadResult(const std::string& url, const std::wstring& path)> download;
    ui::MessageBoxFunction message_box;
    // Starts the renamer hidden; its result is not needed.
    std::function<void(HWND owner, const std::wstring& renamer)> start_renamer;
    // The folder of the image and the renamer: the process's current directory.
    std::wstring folder;
};

UpgradeServices DefaultUpgradeServices();

class CUpGradeDlg : public ui::Dialog {
public:
    CUpGradeDlg(std::string upgrade_address, std::string download_page, std::string description,
                UpgradeServices services = DefaultUpgradeServices());

    bool PreTranslateMessage(MSG& message) override;

    // "升级": download, check, then hand over or explain.
    void Upgrade();

    // True while "升级" runs; it may wait in a message box, whose loop delivers Exit.
    bool busy() const { return busy_; }
    // Exit while busy: the window goes at once, and the waiting handler hands nothing over.
    void Abandon();

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    std::string upgrade_address_;
    std::string download_page_;
    std::string description_;
    UpgradeServices services_;
    bool busy_ = false;
    bool abandoned_ = false;
};

}  // namespace tickra
