#include "chart/display_min_dlg_win.h"

#include <utility>

#include "base/unique_handle_win.h"
#include "res/resource.h"

namespace tickra {

CDisplayMinDlg::CDisplayMinDlg(HWND ticker, std::function<void()> on_close)
    : ui::Dialog(IDD_DISPLAYMIN), ticker_(ticker), on_close_(std::move(on_close)) {}

bool CDisplayMinDlg::OnInitDialog() {
    PlaceBeside(ticker_);
    return false;  // no focus: the window shows without it
}

void CDisplayMinDlg::PlaceBeside(HWND ticker) {
    ticker_ = ticker;
    RECT at_ticker, own;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (ticker == nullptr || hwnd() == nullptr || !GetWindowRect(ticker, &at_ticker) ||
        !GetWindowRect(hwnd(), &own) ||
        !GetMonitorInfoW(MonitorFromWindow(ticker, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const Point at =
        ChartWindowPosition(at_ticker.left, at_ticker.top, at_ticker.right, at_ticker.bottom,
                            {own.right - own.left, own.bottom - own.top}, monitor.rcMonitor.top);
    SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDisplayMinDlg::ShowPicture(std::optional<ChartPicture> picture) {
    picture_ = std::move(picture);
    if (hwnd() != nullptr) {
        InvalidateRect(hwnd(), nullptr, TRUE);
    }
}

std::optional<LRESULT> CDisplayMinDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd(), nullptr, TRUE);  // re-scale to the new size
            return std::nullopt;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_DESTROY:
            picture_.reset();
            return std::nullopt;
        default:
            return ui::Dialog::OnMessage(message, wparam, lparam);
    }
}

bool CDisplayMinDlg::OnCommand(int id, int, HWND) {
    // Return and Escape arrive as OK and Cancel; they close the window as its close box does.
    if (id == IDOK || id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}

void CDisplayMinDlg::Close() {
    ShowWindow(hwnd(), SW_HIDE);
    if (on_close_) {
        on_close_();
    }
}

void CDisplayMinDlg::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    if (picture_) {
        RECT client;
        GetClientRect(hwnd(), &client);
        const Size size = picture_->size;
        const Size drawn = ChartDrawSize({client.right, client.bottom}, size);
        const UniqueMemoryDc source(CreateCompatibleDC(dc));
        const SelectObjectGuard selected(source.get(), picture_->bitmap.get());
        if (picture_->has_alpha) {
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, 0, 0, drawn.width, drawn.height, source.get(), 0, 0, size.width,
                       size.height, blend);
        } else {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, drawn.width, drawn.height, source.get(), 0, 0, size.width,
                       size.height, SRCCOPY);
        }
    }
    EndPaint(hwnd(), &paint);
}

}  // namespace tickra
