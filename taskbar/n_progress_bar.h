// The ticker host: puts the ticker into a gap it opens in the taskbar between the task buttons
// and the notification area, keeps the gap open, and gives the room back at the end.
#pragma once

#include <windows.h>

#include "taskbar/host_geometry.h"
#include "taskbar/text_progress_ctrl.h"
#include "ui/message_box.h"

namespace tickra {

class CNProgressBar : public CTextProgressCtrl {
public:
    // Finds the shell's windows, refuses to run a second ticker, and embeds this one; a failure
    // is reported with a message box and leaves the host disabled.
    CNProgressBar(HWND owner, ui::MessageBoxFunction message_box = ui::SystemMessageBox());
    // Gives the ReBar its room back.
    ~CNProgressBar() override;

    // Re-opens the gap when the shell has squeezed it or moved, and repaints the ticker.
    void KeepInPlace();

    bool enabled() const { return enabled_; }
    bool chart_requested() const { return chart_requested_; }
    void set_chart_requested(bool requested) { chart_requested_ = requested; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    struct ShellWindow {
        HWND hwnd = nullptr;
        Rect rect;
        // Reads the window's screen rectangle; false when the window is gone.
        bool Read();
    };

    bool ShellWindowsExist() const;
    void MakeRoom();
    void PlaceTicker();
    void RestoreTaskbar();

    HWND owner_;
    bool enabled_ = true;
    bool created_ = false;
    LayoutMode layout_mode_ = LayoutMode::kNone;
    ShellWindow rebar_, notify_, taskbar_;
    Rect last_notify_rect_, last_taskbar_rect_;
    bool chart_requested_ = false;
};

}  // namespace tickra
