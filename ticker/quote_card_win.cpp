#include "ticker/quote_card_win.h"

#include <algorithm>

#include "base/code_page_win.h"
#include "base/unique_handle_win.h"
#include "ticker/card_position.h"

namespace tickra {

namespace {

// The ticker's face, drawn in whole pixels as the ticker's line is.
UniqueFont CardFont(int height) {
    return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                  FF_SWISS | DEFAULT_PITCH, L"宋体"));
}

}  // namespace

void CQuoteCard::ShowBeside(HWND ticker, const std::vector<CardLine>& lines,
                            const TickerColours& colours, int font_height) {
    RECT at;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(ticker, &at) ||
        !GetMonitorInfoW(MonitorFromWindow(ticker, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    if (hwnd() == nullptr &&
        !Create({kClassName}, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                WS_POPUP | WS_BORDER, {0, 0, 1, 1}, nullptr)) {
        return;
    }
    lines_ = lines;
    colours_ = colours;
    font_height_ = font_height;
    line_height_ = font_height + font_height / 3;
    int width = 0;
    HDC dc = GetDC(hwnd());
    {
        const UniqueFont font = CardFont(font_height_);
        const SelectObjectGuard selected(dc, font.get());
        for (const CardLine& line : lines_) {
            const std::wstring wide = Widen(line.text);
            RECT measured{};
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measured,
                      DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            width = std::max(width, static_cast<int>(measured.right));
        }
    }
    ReleaseDC(hwnd(), dc);
    SetWindowTextW(hwnd(), Widen(CardText(lines_)).c_str());
    const int pad = font_height_ / 2;
    const int w = width + 2 * pad + 2, h = static_cast<int>(lines_.size()) * line_height_ + 2 * pad;
    HWND taskbar = GetAncestor(ticker, GA_ROOT);
    RECT bar{};
    GetWindowRect(taskbar, &bar);
    const Rect monitor_rect{monitor.rcMonitor.left, monitor.rcMonitor.top, monitor.rcMonitor.right,
                            monitor.rcMonitor.bottom};
    const ScreenPoint corner =
        CardPosition({at.left, at.top, at.right, at.bottom}, w, h, monitor_rect,
                     bar.right - bar.left < bar.bottom - bar.top);
    SetWindowPos(hwnd(), HWND_TOPMOST, corner.x, corner.y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CQuoteCard::Hide() {
    if (hwnd() != nullptr) {
        ShowWindow(hwnd(), SW_HIDE);
    }
}

LRESULT CQuoteCard::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        default:
            return DefaultProc(message, wparam, lparam);
    }
}

void CQuoteCard::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    {
        RECT client;
        GetClientRect(hwnd(), &client);
        const UniqueBrush background(CreateSolidBrush(colours_.background));
        FillRect(dc, &client, background.get());
        const UniqueFont font = CardFont(font_height_);
        const SelectObjectGuard selected(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        const int pad = font_height_ / 2;
        RECT line{client.left + pad, client.top + pad, client.right - pad, client.top + pad};
        for (const CardLine& card_line : lines_) {
            line.bottom = line.top + line_height_;
            SetTextColor(dc, ColourFor(colours_.palette, card_line.tone));
            const std::wstring wide = Widen(card_line.text);
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &line,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            line.top = line.bottom;
        }
    }
    EndPaint(hwnd(), &paint);
}

}  // namespace tickra
