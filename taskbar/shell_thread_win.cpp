#include "taskbar/shell_thread_win.h"

#include <objbase.h>

#include <utility>

#include "taskbar/taskbar_button_win.h"

namespace tickra {

ShellThread::ShellThread() = default;

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
    Call call;
    call.address = std::move(address);
    Hand(ShellCallKind::kOpen, std::move(call));
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
        } else if (!call->address.empty()) {
            // The shell's verbs may use COM, which this thread starts for the call.
            const HRESULT com =
                CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            ShellExecuteW(nullptr, L"open", call->address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            if (SUCCEEDED(com)) {
                CoUninitialize();
            }
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
    worker_.Stop(std::chrono::milliseconds(0));
}

}  // namespace tickra
