// The threads that make the calls into the shell that can only block: Shell_NotifyIcon, which
// sends to the taskbar and waits, and the taskbar button, on one; starting the user's browser,
// which may wait for the browser, on another, so that no balloon and no removal of the icon at
// Exit waits behind it. A hung shell then holds these threads only; the window thread hands its
// requests over and goes on.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/worker.h"
#include "taskbar/tray_queue.h"

namespace tickra {

class ShellThread {
public:
    using Opener = std::function<void(const std::wstring& address)>;
    // opener: opens an address in the user's browser; the shell's way when empty.
    explicit ShellThread(Opener opener = {});
    ~ShellThread();
    ShellThread(const ShellThread&) = delete;
    ShellThread& operator=(const ShellThread&) = delete;

    // Shell_NotifyIcon(operation, data), with data as it is now.
    void NotifyIcon(ShellCallKind kind, DWORD operation, const NOTIFYICONDATAW& data);
    // The window's button on the taskbar, shown or removed.
    void SetButton(HWND window, bool shown);
    // Opens an address in the user's browser: starting it may wait for it.
    void Open(std::wstring address);

    // Waits until every tray and button request handed over so far was made, or until the
    // deadline.
    bool WaitIdle(std::chrono::steady_clock::time_point deadline);
    bool idle() const;
    // Exit: what is still waiting at the deadline is given up, and the threads are let go.
    void Finish(std::chrono::steady_clock::time_point deadline);

private:
    struct Call {
        DWORD operation = 0;
        NOTIFYICONDATAW data{};
        HWND button_window = nullptr;
        bool button_shown = false;
    };
    struct NoControl {
        void Abort() {}
    };
    // Shared with the thread, which a hung shell may keep beyond this object.
    struct Calls {
        std::mutex mutex;
        TrayQueue<Call> queue;
        void Drain();
    };
    void Hand(ShellCallKind kind, Call call);

    std::shared_ptr<Calls> calls_ = std::make_shared<Calls>();
    Worker<NoControl> worker_;
    Opener opener_;
    // Starting a browser may load shell extensions, which get the program's full stack.
    Worker<NoControl> browser_{std::chrono::seconds(10), 0};
};

}  // namespace tickra
