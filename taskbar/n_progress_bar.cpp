#include "taskbar/n_progress_bar.h"

#include <commctrl.h>

#include <utility>

namespace tickra {

namespace {

constexpr UINT_PTR kKeepInPlaceTimer = 100;

int CurrentOsGeneration() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    const bool known = GetVersionExW(&version) != FALSE;
    return OsGeneration(known, version.dwPlatformId, version.dwMajorVersion,
                        version.dwMinorVersion);
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void MoveTo(HWND hwnd, const Placement& p) {
    MoveWindow(hwnd, p.x, p.y, p.width, p.height, TRUE);
}

}  // namespace

bool CNProgressBar::ShellWindow::Read() {
    RECT r;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) {
        return false;
    }
    rect = ToRect(r);
    return true;
}

CNProgressBar::CNProgressBar(HWND owner, ui::MessageBoxFunction message_box)
    : owner_(owner) {
    taskbar_.hwnd = FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr);
    taskbar_.Read();
    if (taskbar_.hwnd != nullptr) {
        rebar_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"ReBarWindow32", nullptr);
        notify_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"TrayNotifyWnd", nullptr);
    }
    rebar_.Read();
    notify_.Read();
    last_notify_rect_ = notify_.rect;
    last_taskbar_rect_ = taskbar_.rect;

    if (CurrentOsGeneration() < 3) {
        enabled_ = false;
    }
    if (rebar_.hwnd == nullptr) {
        message_box(nullptr, "ReBarWindow32", "Can't find...", MB_OK);
        enabled_ = false;
    }
    if (notify_.hwnd == nullptr) {
        message_box(nullptr, "TrayNotifyWnd", "Can't find...", MB_OK);
        enabled_ = false;
    }
    if (taskbar_.hwnd != nullptr &&
        FindWindowExW(taskbar_.hwnd, nullptr, kClassName, nullptr) != nullptr) {
        message_box(nullptr, "程序已经运行,不需再启动.", "提示", MB_ICONWARNING);
        enabled_ = false;
    }
    if (!enabled_) {
        return;
    }
    MakeRoom();
    PlaceTicker();
    SetBarColour(0x00FF00);
    SetBackgroundColour(0x000000);
    SetTextColour(0xFFFFFF);
    SendMessageW(hwnd(), PBM_SETRANGE32, 0, 100);
}

CNProgressBar::~CNProgressBar() {
    if (enabled_) {
        RestoreTaskbar();
    }
}

bool CNProgressBar::ShellWindowsExist() const {
    // After a shell restart the recorded windows are gone; nothing may be done with them.
    return IsWindow(taskbar_.hwnd) && IsWindow(rebar_.hwnd) && IsWindow(notify_.hwnd);
}

void CNProgressBar::MakeRoom() {
    rebar_.Read();
    notify_.Read();
    taskbar_.Read();
    MoveTo(rebar_.hwnd, tickra::MakeRoom(taskbar_.rect, rebar_.rect, notify_.rect, layout_mode_));
}

void CNProgressBar::PlaceTicker() {
    rebar_.Read();
    const Rect r = TickerRect(rebar_.rect);
    if (!created_) {
        CreateWindowIn(taskbar_.hwnd, RECT{r.left, r.top, r.right, r.bottom},
                       WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0);
        created_ = true;
        return;
    }
    MoveWindow(hwnd(), r.left, r.top, r.width(), r.height(), TRUE);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

void CNProgressBar::KeepInPlace() {
    if (!enabled_ || !ShellWindowsExist()) {
        return;
    }
    taskbar_.Read();
    notify_.Read();
    rebar_.Read();
    bool needed = GapTooSmall(taskbar_.rect, rebar_.rect, notify_.rect);
    if (notify_.rect != last_notify_rect_ || taskbar_.rect != last_taskbar_rect_) {
        needed = true;
        last_notify_rect_ = notify_.rect;
        last_taskbar_rect_ = taskbar_.rect;
    }
    constexpr UINT kRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
    if (needed) {
        MakeRoom();
        RedrawWindow(hwnd(), nullptr, nullptr, kRepaint);
        PlaceTicker();
    } else {
        RedrawWindow(hwnd(), nullptr, nullptr, kRepaint);
    }
}

void CNProgressBar::RestoreTaskbar() {
    if (!ShellWindowsExist()) {
        return;
    }
    rebar_.Read();
    notify_.Read();
    taskbar_.Read();
    MoveTo(rebar_.hwnd, RestoreRebar(layout_mode_, taskbar_.rect, rebar_.rect, notify_.rect));
}

LRESULT CNProgressBar::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            chart_requested_ = !chart_requested_;
            break;
        case WM_TIMER:
            if (wparam == kKeepInPlaceTimer) {
                KeepInPlace();
            }
            break;
        default:
            return CTextProgressCtrl::OnMessage(message, wparam, lparam);
    }
    return DefaultProc(message, wparam, lparam);
}

}  // namespace tickra
