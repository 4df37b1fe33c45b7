#include "tray/shell_thread_win.h"

#include <objbase.h>

#include <string>
#include <utility>

#include "tray/taskbar_button_win.h"
#include "ui/report.h"

namespace tickra {

namespace {

using NoControl = ShellThread::NoControl;

void OpenInBrowser(const std::wstring& address) {
    // The shell's verbs may use COM, which this thread starts for the call.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

struct IconCall {
    DWORD operation = 0;
    NOTIFYICONDATAW data{};
};

// A shell that is busy starting (a new taskbar) may refuse once: each call is tried twice, and a
// second refusal is reported by the operation's name.
bool NotifyIconOrReport(DWORD operation, const NOTIFYICONDATAW& call_data) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        NOTIFYICONDATAW data = call_data;
        if (Shell_NotifyIconW(operation, &data) != FALSE) {
            return true;
        }
    }
    constexpr const char* kNames[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE", "NIM_SETFOCUS",
                                      "NIM_SETVERSION"};
    ui::Report("shell calls", std::string("Shell_NotifyIcon(") +
                                  (operation < 5 ? kNames[operation] : "?") + ") refused twice");
    return false;
}

bool CallNotifyIcon(const IconCall& call, NoControl&) {
    return NotifyIconOrReport(call.operation, call.data);
}

bool SetWaitingTip(const std::shared_ptr<ShellThread::WaitingTip>& tip, NoControl&) {
    std::optional<NOTIFYICONDATAW> data;
    {
        const std::lock_guard<std::mutex> lock(tip->mutex);
        data.swap(tip->data);
    }
    return data && NotifyIconOrReport(NIM_MODIFY, *data);
}

struct ButtonCall {
    HWND window = nullptr;
    bool shown = false;
};

bool CallSetButton(const ButtonCall& call, NoControl&) {
    if (!SetTaskbarButton(call.window, call.shown)) {
        ui::Report("shell calls",
                   call.shown ? "ITaskbarList::AddTab failed" : "ITaskbarList::DeleteTab failed");
        return false;
    }
    return true;
}

struct OpenCall {
    ShellThread::Opener opener;
    std::wstring address;
};

bool CallOpen(const OpenCall& call, NoControl&) {
    call.opener(call.address);
    return true;
}

}  // namespace

ShellThread::ShellThread(Opener opener)
    : opener_(opener ? std::move(opener) : Opener(OpenInBrowser)) {}

void ShellThread::NotifyIcon(DWORD operation, const NOTIFYICONDATAW& data) {
    calls_.Start(CallNotifyIcon, IconCall{operation, data});
}

void ShellThread::SetTip(const NOTIFYICONDATAW& data) {
    bool waiting = false;
    {
        const std::lock_guard<std::mutex> lock(tip_->mutex);
        waiting = tip_->data.has_value();
        tip_->data = data;
    }
    if (!waiting) {
        calls_.Start(SetWaitingTip, tip_);
    }
}

void ShellThread::SetButton(HWND window, bool shown) {
    calls_.Start(CallSetButton, ButtonCall{window, shown});
}

void ShellThread::Open(std::wstring address) {
    browser_.Start(CallOpen, OpenCall{opener_, std::move(address)});
}

}  // namespace tickra
