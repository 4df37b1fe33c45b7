// The calls into the shell that can only block: Shell_NotifyIcon, which sends to the taskbar and
// waits, and the taskbar button, on one worker; starting the user's browser, which may wait for
// the browser, on another, so that no balloon and no removal of the icon at Exit waits behind it.
// A hung shell then holds these threads only; the window thread hands its requests over and goes
// on.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/background_task.h"

namespace tickra {

class ShellThread {
public:
    using Opener = std::function<void(const std::wstring& address)>;
    using TimePoint = std::chrono::steady_clock::time_point;
    // opener: opens an address in the user's browser; the shell's way when empty.
    explicit ShellThread(Opener opener = {});

    // Shell_NotifyIcon(operation, data), with data as it is now, after the calls asked before.
    // None is dropped.
    void NotifyIcon(DWORD operation, const NOTIFYICONDATAW& data);
    // A new tip (NIM_MODIFY): one still waiting is replaced in its place, since only the newest
    // can matter.
    void SetTip(const NOTIFYICONDATAW& data);
    // The window's button on the taskbar, shown or removed.
    void SetButton(HWND window, bool shown);
    // Opens an address in the user's browser: starting it may wait for it.
    void Open(std::wstring address);

    // Exit: waits until every tray and button call handed over so far was made, or until the
    // deadline; the rest is let go with the thread.
    bool Join(TimePoint deadline) { return calls_.Join(deadline); }
    bool idle() const { return calls_.idle(); }

    // Nothing the shell does can be aborted: a worker's control that does nothing.
    struct NoControl {
        void Abort() {}
    };
    // The tip waiting to be set; shared with the worker.
    struct WaitingTip {
        std::mutex mutex;
        std::optional<NOTIFYICONDATAW> data;
    };

private:
    Opener opener_;
    std::shared_ptr<WaitingTip> tip_ = std::make_shared<WaitingTip>();
    BackgroundTask<bool, NoControl> calls_{"shell calls", nullptr};
    // Starting a browser may load shell extensions, which get the program's full stack.
    BackgroundTask<bool, NoControl> browser_{"browser", nullptr, 0};
};

}  // namespace tickra
