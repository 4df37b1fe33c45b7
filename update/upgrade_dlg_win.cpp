#include "update/upgrade_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>
#include <vector>

#include "base/file_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tickra/build_config.h"
#include "update/executable_check.h"
#include "update/update_notice.h"
#include "update/upgrade_signature_win.h"

namespace tickra {

namespace {

// The image may be large.
const TransferLimits kImageLimits{5000, 120000, 64u << 20};
constexpr int kProgressSteps = 100;

std::wstring CurrentDirectoryW() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

// A complete answer with status 200 that is a program for this machine: an early close reads
// like a normal end of data, so a length that was promised must match. Without a promise the
// signature alone shows that nothing is missing.
bool IsCompleteProgram(const DownloadResult& result, const std::string& bytes) {
    return result.completed && result.status == 200 &&
           (!result.content_length || result.bytes == *result.content_length) &&
           bytes.size() == result.bytes && IsWindowsExecutable(bytes);
}

constexpr char kIncompleteLine[] =
    "\r\n\r\n升级文件没有完整下载，或不是有效的程序，未升级。请稍后再试。";
constexpr char kUnsignedLine[] = "\r\n\r\n升级文件的发布者签名无法验证，未升级。";
constexpr char kNoKeyLine[] = "\r\n\r\n本程序没有发布者公钥，无法验证升级文件，不会自动升级。";

}  // namespace

UpgradeServices DefaultUpgradeServices() {
    return {[](const std::string& url, const std::wstring& path, TransferControl& control,
               const DownloadProgress& progress) {
                return DownloadUrlToFile(url, path, kImageLimits, &control, progress);
            },
            ui::SystemMessageBox(),
            [](HWND owner, const std::wstring& renamer) {
                ShellExecuteW(owner, L"open", renamer.c_str(), nullptr, nullptr, SW_HIDE);
            },
            CurrentDirectoryW(), build::kUpgradeKey};
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
    Item(IDC_UPGRADE_PROGRESS).Send(PBM_SETRANGE32, 0, kProgressSteps);
    if (services_.public_key.empty()) {
        AddLine(kNoKeyLine);
    }
    return true;
}

std::optional<LRESULT> CUpGradeDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kRunTaskMessage) {
        RunPostedTask(lparam, !abandoned_);
        return 0;
    }
    return ui::Dialog::OnMessage(message, wparam, lparam);
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
        DropWorker(worker_);
        ShowWindow(hwnd(), SW_HIDE);  // at once; the owner frees it a little later
        PostMessageW(GetWindow(hwnd(), GW_OWNER), kUpdateMessage, kUpdateReport, kUpgradeCancelled);
        return true;
    }
    return false;
}

void CUpGradeDlg::Abandon() {
    abandoned_ = true;
    DropWorker(worker_);
    Destroy();  // and the message box it owns, whose loop then returns
}

void CUpGradeDlg::AddLine(std::string_view line) {
    SetItemText(IDC_UPGRADE_TEXT, ItemText(IDC_UPGRADE_TEXT) + std::string(line));
}

void CUpGradeDlg::Upgrade() {
    if (busy_ || worker_) {
        return;
    }
    if (services_.public_key.empty()) {
        AddLine(kUnsignedLine);  // this build can verify nothing
        return;
    }
    Item(IDOK).Enable(false);
    Item(IDC_UPGRADE_PROGRESS).Send(PBM_SETPOS, 0);
    worker_ = std::make_unique<NetWorker>();
    worker_->Post([this, dialog = hwnd(), progress_bar = Item(IDC_UPGRADE_PROGRESS).hwnd(),
                   download = services_.download, url = upgrade_address_,
                   key = services_.public_key, image = services_.folder + L"\\Tickra.upg",
                   signature_file =
                       services_.folder + L"\\Tickra.upg.sig"](TransferControl& control) {
        int shown = 0;
        const DownloadResult result =
            download(url, image, control, [&](uint64_t bytes, uint64_t length) {
                const int step = length > 0 ? static_cast<int>(bytes * kProgressSteps / length) : 0;
                if (step != shown) {
                    shown = step;
                    PostMessageW(progress_bar, PBM_SETPOS, static_cast<WPARAM>(step), 0);
                }
            });
        const std::string bytes = ReadFileBytes(image, kImageLimits.max_bytes);
        Verdict verdict = Verdict::kIncomplete;
        if (!control.aborted() && IsCompleteProgram(result, bytes)) {
            // The signature comes the same way as the image, from beside it.
            const DownloadResult signed_by = download(url + ".sig", signature_file, control, {});
            const std::string signature = ReadFileBytes(signature_file, 64);
            DeleteFileW(signature_file.c_str());
            verdict = signed_by.completed && signed_by.status == 200 &&
                              VerifyUpgradeSignature(bytes, signature, key)
                          ? Verdict::kVerified
                          : Verdict::kUnsigned;
        }
        if (verdict != Verdict::kVerified) {
            // Tickra.upg is only ever a verified image: the user may be told to rename it.
            DeleteFileW(image.c_str());
        }
        PostTask(dialog, [this, verdict] { OnDownloaded(verdict); });
    });
}

void CUpGradeDlg::OnDownloaded(Verdict verdict) {
    if (!worker_) {
        return;  // cancelled: whatever came is not wanted
    }
    DropWorker(worker_, std::chrono::milliseconds(200));  // its job has ended
    Item(IDOK).Enable(true);
    busy_ = true;
    struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{busy_};
    const std::wstring renamer = services_.folder + L"\\rename.exe";
    if (verdict != Verdict::kVerified) {
        AddLine(verdict == Verdict::kIncomplete ? kIncompleteLine : kUnsignedLine);
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
