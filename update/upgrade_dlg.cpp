#include "update/upgrade_dlg.h"

#include <shellapi.h>

#include <utility>
#include <vector>

#include "app/messages.h"
#include "res/resource.h"
#include "ui/file.h"
#include "update/executable_check.h"
#include "update/update_notice.h"

namespace tickra {

namespace {

// The image may be large and comes over the user-interface thread's connection.
const TransferLimits kImageLimits{5000, 120000, 64u << 20};

std::wstring CurrentDirectoryW() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

// Only a complete answer with status 200 that is a program for this machine is handed over: an
// early close reads like a normal end of data, so the length must match what was promised.
bool IsCompleteProgram(const DownloadResult& result, const std::wstring& image) {
    return result.completed && result.status == 200 && result.content_length.has_value() &&
           result.bytes == *result.content_length &&
           IsWindowsExecutable(ui::ReadFileBytes(image, kImageLimits.max_bytes));
}

}  // namespace

UpgradeServices DefaultUpgradeServices() {
    return {[](const std::string& url, const std::wstring& path) {
                return DownloadUrlToFile(url, path, kImageLimits);
            },
            ui::SystemMessageBox(),
            [](HWND owner, const std::wstring& renamer) {
                ShellExecuteW(owner, L"open", renamer.c_str(), nullptr, nullptr, SW_HIDE);
            },
            CurrentDirectoryW()};
}

CUpGradeDlg::CUpGradeDlg(std::string upgrade_address, std::string download_page,
                         std::string description, UpgradeServices services)
    : ui::Dialog(IDD_UPGRADE),
      upgrade_address_(std::move(upgrade_address)),
      download_page_(std::move(download_page)),
      description_(std::move(description)),
      services_(std::move(services)) {}

bool CUpGradeDlg::OnInitDialog() {
    SetItemText(IDC_UPGRADE_TEXT, ExpandLineBreaks(description_));
    return true;
}

bool CUpGradeDlg::PreTranslateMessage(MSG& message) {
    return ui::IsReturnOrEscapeKey(message) || ui::Dialog::PreTranslateMessage(message);
}

bool CUpGradeDlg::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        Upgrade();
        return true;
    }
    if (id == IDCANCEL) {
        PostMessageW(GetWindow(hwnd(), GW_OWNER), kUpdateMessage, kUpdateReport, kUpgradeCancelled);
        return true;
    }
    return false;
}

void CUpGradeDlg::Abandon() {
    abandoned_ = true;
    Destroy();  // and the message box it owns, whose loop then returns
}

void CUpGradeDlg::Upgrade() {
    if (busy_) {
        return;
    }
    busy_ = true;
    struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{busy_};
    const std::wstring image = services_.folder + L"\\Tickra.upg";
    const std::wstring renamer = services_.folder + L"\\rename.exe";
    const DownloadResult result = services_.download(upgrade_address_, image);
    if (!IsCompleteProgram(result, image)) {
        SetItemText(IDC_UPGRADE_TEXT,
                    ItemText(IDC_UPGRADE_TEXT) +
                        "\r\n\r\n升级文件没有完整下载，或不是有效的程序，未升级。请稍后再试。");
        return;
    }
    if (GetFileAttributesW(renamer.c_str()) != INVALID_FILE_ATTRIBUTES) {
        services_.message_box(hwnd(), "下载完成，程序将重新启动，运行新程序。", "Tickra",
                              MB_OK | MB_ICONEXCLAMATION);
        if (abandoned_) {
            return;  // the program is ending: no new one is started behind its back
        }
        services_.start_renamer(hwnd(), renamer);
        PostMessageW(GetWindow(hwnd(), GW_OWNER), kUpdateMessage, kUpdateReport,
                     kUpgradeHandedOver);
        return;
    }
    SetItemText(IDC_UPGRADE_TEXT, RenamerMissingText(ItemText(IDC_UPGRADE_TEXT), download_page_));
}

}  // namespace tickra
