#include "taskbar/shell_thread_win.h"

#include <objbase.h>

#include <utility>

#include "taskbar/taskbar_button_win.h"

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

bool CallNotifyIcon(const IconCall& call, NoControl&) {
    NOTIFYICONDATAW data = call.data;
    return Shell_NotifyIconW(call.operation, &data) != FALSE;
}

bool SetWaitingTip(const std::shared_ptr<ShellThread::WaitingTip>& tip, NoControl&) {
    std::optional<NOTIFYICONDATAW> data;
    {
        const std::lock_guard<std::mutex> lock(tip->mutex);
        data.swap(tip->data);
    }
    return data && Shell_NotifyIconW(NIM_MODIFY, &*data) != FALSE;
}

struct ButtonCall {
    HWND window = nullptr;
    bool shown = false;
};

bool CallSetButton(const ButtonCall& call, NoControl&) {
    SetTaskbarButton(call.window, call.shown);
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
