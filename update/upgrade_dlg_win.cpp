#include "update/upgrade_dlg_win.h"

#include <commctrl.h>

#include <memory>
#include <utility>

#include "base/code_page_win.h"
#include "base/file_win.h"
#include "base/unique_handle_win.h"
#include "res/resource.h"
#include "tickra/build_config.h"
#include "update/executable_check.h"
#include "update/image_version_win.h"
#include "update/upgrade_offer.h"
#include "update/upgrade_signature_win.h"

namespace tickra {

namespace {

constexpr int kProgressSteps = 100;

constexpr wchar_t kImageName[] = L"\\Tickra.upg";
// The download goes here first: Tickra.upg is only ever a checked image, which the dialog may tell
// the user to rename by hand.
constexpr wchar_t kPartName[] = L"\\Tickra.upg.part";
constexpr wchar_t kSignatureName[] = L"\\Tickra.upg.sig";

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

// What one press of "升级" asks the worker for.
struct UpgradeJob {
    decltype(UpgradeServices::download) download;
    std::string url;
    std::wstring folder;
    std::string public_key;
    std::string offered_version;
    std::string running_version;
};

// Downloads, checks and, when every check has passed, puts the image in its place. Runs on the
// worker; whatever the verdict, no unchecked file is left.
CUpGradeDlg::Verdict FetchUpgrade(const UpgradeJob& job, TransferControl& control,
                                  const DownloadProgress& progress) {
    using Verdict = CUpGradeDlg::Verdict;
    const std::wstring part = job.folder + kPartName;
    const Verdict verdict = [&] {
        const DownloadResult result =
            job.download(job.url, part, LimitsFor(TransferKind::kUpgradeImage), control, progress);
        const std::string bytes =
            ReadFileBytes(part, LimitsFor(TransferKind::kUpgradeImage).max_bytes);
        if (control.aborted() || !IsCompleteProgram(result, bytes)) {
            return Verdict::kIncomplete;
        }
        // The signature comes the same way as the image, from beside it.
        const std::wstring signature_file = job.folder + kSignatureName;
        const DownloadResult signed_by =
            job.download(job.url + ".sig", signature_file,
                         LimitsFor(TransferKind::kUpgradeSignature), control, {});
        const std::string signature = ReadFileBytes(signature_file, 64);
        DeleteFileW(signature_file.c_str());
        if (!signed_by.completed || signed_by.status != 200 ||
            !VerifyUpgradeSignature(bytes, signature, job.public_key)) {
            return Verdict::kUnsigned;
        }
        const std::optional<ImageVersion> version = ReadImageVersion(part);
        if (!version || !IsOfferedUpgrade(*version, job.offered_version, job.running_version)) {
            return Verdict::kNotOffered;
        }
        if (!MoveFileExW(part.c_str(), (job.folder + kImageName).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            return Verdict::kNotSaved;
        }
        return Verdict::kVerified;
    }();
    if (verdict != Verdict::kVerified) {
        DeleteFileW(part.c_str());
    }
    return verdict;
}

constexpr char kIncompleteLine[] =
    "\r\n\r\n升级文件没有完整下载，或不是有效的程序，未升级。请稍后再试。";
constexpr char kUnsignedLine[] = "\r\n\r\n升级文件的发布者签名无法验证，未升级。";
constexpr char kNotOfferedLine[] = "\r\n\r\n升级文件不是所提供的 Tickra 新版本，未升级。";
constexpr char kNotSavedLine[] = "\r\n\r\n升级文件无法保存到程序的文件夹，未升级。";
constexpr char kNoKeyLine[] = "\r\n\r\n本程序没有发布者公钥，无法验证升级文件，不会自动升级。";

}  // namespace

UpgradeServices DefaultUpgradeServices() {
    return {[](const std::string& url, const std::wstring& path, const TransferLimits& limits,
               TransferControl& control, const DownloadProgress& progress) {
                return DownloadUrlToFile(url, path, limits, &control, progress);
            },
            ui::SystemMessageBox(),
            [](HWND, const std::wstring& renamer) -> UpgradeServices::HeldRenamer {
                // Started suspended: the user is told that Tickra restarts only once the renamer
                // exists, and an Exit meanwhile ends it before it has done anything.
                STARTUPINFOW startup{};
                startup.cb = sizeof(startup);
                startup.dwFlags = STARTF_USESHOWWINDOW;
                startup.wShowWindow = SW_HIDE;
                PROCESS_INFORMATION started{};
                std::wstring command = L"\"" + renamer + L"\"";
                if (!CreateProcessW(renamer.c_str(), command.data(), nullptr, nullptr, FALSE,
                                    CREATE_SUSPENDED, nullptr, nullptr, &startup, &started)) {
                    return {};
                }
                auto process = std::make_shared<UniqueKernelHandle>(started.hProcess);
                auto thread = std::make_shared<UniqueKernelHandle>(started.hThread);
                return [process, thread](bool run) {
                    return run ? ResumeThread(thread->get()) != static_cast<DWORD>(-1)
                               : TerminateProcess(process->get(), 1) != FALSE;
                };
            },
            CurrentDirectoryW(),
            build::kUpgradeKey,
            kProgramVersion};
}

void RemoveUnfinishedUpgrade(const std::wstring& folder) {
    DeleteFileW((folder + kPartName).c_str());
    DeleteFileW((folder + kSignatureName).c_str());
}

CUpGradeDlg::CUpGradeDlg(UpdateNotice offer, UpgradeServices services,
                         std::function<void(End)> on_end)
    : ui::Dialog(IDD_UPGRADE),
      offer_(std::move(offer)),
      services_(std::move(services)),
      on_end_(std::move(on_end)) {}

bool CUpGradeDlg::OnInitDialog() {
    SetItemText(IDC_UPGRADE_TEXT, DescriptionText(offer_.upgrade_description));
    Item(IDC_UPGRADE_PROGRESS).Send(PBM_SETRANGE32, 0, kProgressSteps);
    if (services_.public_key.empty()) {
        AddLine(kNoKeyLine);
    }
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
        if (download_) {
            download_->GiveUp();  // a stalled download is let go
        }
        ShowWindow(hwnd(), SW_HIDE);  // at once; the owner frees it a little later
        if (on_end_) {
            on_end_(End::kCancelled);
        }
        return true;
    }
    return false;
}

void CUpGradeDlg::Abandon() {
    abandoned_ = true;
    download_.reset();
    Destroy();  // and the message box it owns, whose loop then returns
}

void CUpGradeDlg::AddLine(std::string_view line) {
    // Appended where the text ends: reading the whole text back and writing it again would cost
    // as much as the text is long, for every line.
    const ui::Window text = Item(IDC_UPGRADE_TEXT);
    const auto end = static_cast<WPARAM>(text.Send(WM_GETTEXTLENGTH));
    text.Send(EM_SETSEL, end, static_cast<LPARAM>(end));
    text.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(line).c_str()));
}

void CUpGradeDlg::Upgrade() {
    if (busy_ || downloading()) {
        return;
    }
    if (services_.public_key.empty()) {
        AddLine(kUnsignedLine);  // this build can verify nothing
        return;
    }
    if (!download_) {
        download_ = std::make_unique<NetTask<Verdict>>("upgrade download", mailbox());
    }
    if (!download_->CanStart()) {
        return;  // a given-up download still hangs
    }
    Item(IDOK).Enable(false);
    Item(IDC_UPGRADE_PROGRESS).Send(PBM_SETPOS, 0);
    const auto fetch = [](const UpgradeJob& job, TransferControl& control,
                          const NetTask<Verdict>::Progress& progress) {
        int shown = 0;
        return FetchUpgrade(job, control, [&](uint64_t bytes, uint64_t length) {
            const int step = length > 0 ? static_cast<int>(bytes * kProgressSteps / length) : 0;
            if (step != shown) {
                shown = step;
                progress(step);
            }
        });
    };
    download_->Start(
        +fetch,
        UpgradeJob{services_.download, offer_.upgrade_address, services_.folder,
                   services_.public_key, offer_.version, services_.running_version},
        [this](Verdict verdict) { OnDownloaded(verdict); },
        [this](int step) {
            Item(IDC_UPGRADE_PROGRESS).Send(PBM_SETPOS, static_cast<WPARAM>(step));
        });
}

void CUpGradeDlg::OnDownloaded(Verdict verdict) {
    Item(IDOK).Enable(true);
    busy_ = true;
    struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{busy_};
    switch (verdict) {
        case Verdict::kVerified:
            break;
        case Verdict::kIncomplete:
            AddLine(kIncompleteLine);
            return;
        case Verdict::kUnsigned:
            AddLine(kUnsignedLine);
            return;
        case Verdict::kNotOffered:
            AddLine(kNotOfferedLine);
            return;
        case Verdict::kNotSaved:
            AddLine(kNotSavedLine);
            return;
    }
    const std::wstring renamer = services_.folder + L"\\rename.exe";
    if (GetFileAttributesW(renamer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        AddLine(RenamerMissingText("", offer_.download_page));
        return;
    }
    // This program says it restarts, and ends, only once the one that puts the new one in place
    // has started.
    const UpgradeServices::HeldRenamer held = services_.start_renamer(hwnd(), renamer);
    if (!held) {
        AddLine(RenamerNotStartedText("", offer_.download_page));
        return;
    }
    services_.message_box(hwnd(), "下载完成，程序将重新启动，运行新程序。", "Tickra",
                          MB_OK | MB_ICONEXCLAMATION);
    if (abandoned_) {
        held(false);  // the program is ending: no new one is started behind its back
        return;
    }
    if (!held(true)) {
        AddLine(RenamerNotStartedText("", offer_.download_page));
        return;
    }
    if (on_end_) {
        on_end_(End::kHandedOver);
    }
}

}  // namespace tickra
