#include "taskbar/shell_thread_win.h"

#include <objbase.h>

#include <utility>

#include "taskbar/taskbar_button_win.h"

namespace tickra {

namespace {

void OpenInBrowser(const std::wstring& address) {
    // The shell's verbs may use COM, which this thread starts for the call.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

}  // namespace

ShellThread::ShellThread(Opener opener)
    : opener_(opener ? std::move(opener) : Opener(OpenInBrowser)) {}

ShellThread::~ShellThread() {
    Finish(std::chrono::steady_clock::now());
}

void ShellThread::NotifyIcon(ShellCallKind kind, DWORD operation, const NOTIFYICONDATAW& data) {
    Call call;
    call.operation = operation;
    call.data = data;
    Hand(kind, call);
}

void ShellThread::SetButton(HWND window, bool shown) {
    Call call;
    call.button_window = window;
    call.button_shown = shown;
    Hand(ShellCallKind::kButton, call);
}

void ShellThread::Open(std::wstring address) {
    browser_.Post(
        [opener = opener_, address = std::move(address)](NoControl&) { opener(address); });
}

void ShellThread::Hand(ShellCallKind kind, Call call) {
    {
        const std::lock_guard<std::mutex> lock(calls_->mutex);
        calls_->queue.Push(kind, std::move(call));
    }
    // A drain that finds the queue emptied by an earlier one does nothing.
    worker_.Post([calls = calls_](NoControl&) { calls->Drain(); });
}

void ShellThread::Calls::Drain() {
    for (;;) {
        std::optional<Call> call;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            call = queue.Pop();
        }
        if (!call) {
            return;
        }
        if (call->button_window != nullptr) {
            SetTaskbarButton(call->button_window, call->button_shown);
        } else {
            Shell_NotifyIconW(call->operation, &call->data);
        }
    }
}

bool ShellThread::WaitIdle(std::chrono::steady_clock::time_point deadline) {
    return worker_.WaitIdle(deadline);
}

bool ShellThread::idle() const {
    return worker_.idle();
}

void ShellThread::Finish(std::chrono::steady_clock::time_point deadline) {
    WaitIdle(deadline);
    worker_.Cancel();
    browser_.Cancel();
}

}  // namespace tickra
