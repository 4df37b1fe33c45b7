#include "taskbar/own_window_slot_win.h"

#include <commctrl.h>

namespace tickra {

namespace {

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return ToRect(area);
}

// A balloon the tray shows now; under Wine it opens where the ticker's window of its own sits.
std::optional<Rect> TrayBalloon() {
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
        RECT r;
        if (IsWindowVisible(w) && (GetWindowLongW(w, GWL_STYLE) & TTS_BALLOON) != 0 &&
            GetWindowRect(w, &r)) {
            return ToRect(r);
        }
    }
    return std::nullopt;
}

// The top of Wine's own tray bar, or a value below every screen when there is none.
int WineTrayTop() {
    RECT tray;
    HWND wine_tray = FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr);
    return wine_tray != nullptr && IsWindowVisible(wine_tray) && GetWindowRect(wine_tray, &tray)
               ? tray.top
               : 1 << 30;
}

}  // namespace

void OwnWindowSlot::MakeRoom() {
    if (window_.hwnd() == nullptr &&
        !window_.Create({kClassName, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))},
                        WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, {0, 0, 1, 1},
                        nullptr, 0, L"Tickra")) {
        return;
    }
    SetTimer(window_.hwnd(), kPlaceTimerId, kPlacePollMs, nullptr);
}

std::optional<TickerPlace> OwnWindowSlot::Place() {
    if (window_.hwnd() == nullptr) {
        return std::nullopt;
    }
    // Placed before Wine's tray bar shows, it moves above the bar once its own timer sees it.
    last_work_area_ = WorkArea();
    last_tray_top_ = WineTrayTop();
    last_balloon_ = TrayBalloon();
    const Rect r = StandaloneTickerRect(last_work_area_, last_tray_top_, metrics_, last_balloon_);
    SetWindowPos(window_.hwnd(), HWND_TOPMOST, r.left, r.top, r.width(), r.height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return TickerPlace{window_.hwnd(), {0, 0, r.width(), r.height()}};
}

bool OwnWindowSlot::LayoutChanged() {
    return WorkArea() != last_work_area_ || WineTrayTop() != last_tray_top_ ||
           TrayBalloon() != last_balloon_;
}

void OwnWindowSlot::WatchForBalloon() {
    if (window_.hwnd() != nullptr) {
        balloon_polls_ = kBalloonPolls;
        SetTimer(window_.hwnd(), kBalloonTimerId, kBalloonPollMs, nullptr);
    }
}

void OwnWindowSlot::Check() const {
    if (on_check_) {
        on_check_();
    }
}

LRESULT OwnWindowSlot::Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    // The check comes last: it may choose another slot, and this window goes with this one.
    if (message == WM_TIMER && wparam == kPlaceTimerId) {
        if (slot_.LayoutChanged()) {
            slot_.Check();
        }
        return 0;
    }
    if (message == WM_TIMER && wparam == kBalloonTimerId) {
        if (--slot_.balloon_polls_ <= 0) {
            KillTimer(hwnd(), kBalloonTimerId);
        }
        slot_.Check();
        return 0;
    }
    return CustomWindow::OnMessage(message, wparam, lparam);
}

}  // namespace tickra
