// A classic Windows taskbar for Wine sessions, whose shell has no such windows: a top-most
// "Shell_TrayWnd" with a "ReBarWindow32" band of task buttons and a "TrayNotifyWnd" notification
// area, like the Windows 7/10 taskbar. Notification-icon traffic that reaches it is passed on to
// Wine's own tray, so icons and balloons keep working. It can also stand for a second monitor's
// taskbar of Windows 10: a "Shell_SecondaryTrayWnd" with a "Start" button, a "WorkerW" holding the
// task list and a "ClockButton" at its far end.
#pragma once

#include <windows.h>

namespace tickra::tools {

// Posted to the "Shell_TrayWnd" with a number of seconds as word parameter: the taskbar widens its
// ReBar back to the notification area, as a shell does when it lays itself out again, and then
// stops answering for that long, as a hung shell does.
inline constexpr UINT kHangMessage = WM_APP + 7;

struct ClassicTaskbarLayout {
    int thickness = 30;      // height, or width when vertical
    bool vertical = false;   // at the left edge instead of the bottom
    int start_width = 60;    // room for the start button before the band
    int notify_size = 180;   // width (height when vertical) of the notification area
    int bottom_margin = 0;   // pixels left free below a horizontal taskbar
    bool windows11 = false;  // the Windows 11 layout: a content bridge, a 0-pixel ReBar, "Start"
    bool secondary = false;  // a second monitor's taskbar; notify_size is then the clock's, 0 none
    bool task_list = true;   // a secondary taskbar's task list from the start; else it comes later
    RECT bounds{};           // the taskbar on the screen; empty: the screen's bottom or left edge
    bool quit_on_destroy = false;       // end the thread's message loop when the taskbar goes
    const wchar_t* tray_log = nullptr;  // file that gets one line per tray request, or none
    COLORREF bar_colour = RGB(0x20, 0x2A, 0x38);
};

class ClassicTaskbar {
public:
    ClassicTaskbar() = default;
    ~ClassicTaskbar();
    ClassicTaskbar(const ClassicTaskbar&) = delete;
    ClassicTaskbar& operator=(const ClassicTaskbar&) = delete;

    bool Create(const ClassicTaskbarLayout& layout);
    void Destroy();
    // Paints the bar in another colour from its next paint on, as a shell does after a change
    // of theme.
    void SetBarColour(COLORREF colour);
    // A secondary taskbar's task list, made (anew) across the room between the start button and
    // the clock, as the shell does when it comes late or builds it again.
    void RemakeTaskList();

    HWND taskbar() const { return taskbar_; }
    // The task band: the ReBar, or a secondary taskbar's "WorkerW".
    HWND rebar() const { return rebar_; }
    // The notification area, or a secondary taskbar's clock (null without one).
    HWND notify() const { return notify_; }

private:
    bool CreateSecondary(const ClassicTaskbarLayout& layout, const RECT& bar);

    HWND taskbar_ = nullptr;
    HWND rebar_ = nullptr;
    HWND notify_ = nullptr;
    int start_size_ = 0;
};

}  // namespace tickra::tools
