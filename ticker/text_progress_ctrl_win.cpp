#include "ticker/text_progress_ctrl_win.h"

#include <commctrl.h>

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "base/code_page_win.h"
#include "base/mbcs.h"
#include "base/text_util.h"
#include "base/unique_handle_win.h"
#include "ticker/mem_dc_win.h"
#include "ticker/ticker_chart.h"

namespace tickra {

namespace {

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

}  // namespace

CTextProgressCtrl::CTextProgressCtrl()
    : colours_{GetSysColor(COLOR_WINDOW), PaletteFor(GetSysColor(COLOR_WINDOW))} {}

bool CTextProgressCtrl::CreateWindowIn(HWND parent, const RECT& rect, DWORD style, int id) {
    // Tracking ended with the last window, if there was one: the new one asks again.
    tracking_ = false;
    wheel_.Reset();
    // The parent may be the shell's taskbar: telling it of the child's birth and death would wait
    // for its thread.
    return Create({kClassName, PROGRESS_CLASSW}, WS_EX_NOPARENTNOTIFY, style, rect, parent, id);
}

void CTextProgressCtrl::ApplyTickerState(const TickerState& state, const MinuteHistory* history) {
    flags_ = state.flags;
    held_ = state.held;
    unseen_ = state.unseen;
    tone_ = state.tone;
    mono_ = state.mono;
    history_.reset();
    if (history != nullptr) {
        history_ = *history;
    }
    reference_price_ = state.reference_price;
    ticker_text_ = std::string(CutAtCharBoundary(state.text, TickerState::kMaxTextBytes));
    if (hwnd() != nullptr) {
        if (const std::wstring line = Widen(ticker_text_); line != window_text_) {
            SetWindowTextW(hwnd(), line.c_str());
        }
    }
}

bool CTextProgressCtrl::SetColours(const TickerColours& colours) {
    if (colours == colours_) {
        return false;
    }
    colours_ = colours;
    return true;
}

std::optional<LRESULT> CTextProgressCtrl::OnPointer(UINT message, WPARAM wparam, LPARAM lparam) {
    Pointer what = Pointer::kRest;
    int value = 0;
    switch (message) {
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd(), kRestMs};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            return std::nullopt;
        case WM_MOUSEHOVER:
            // Any program can post one: only a pointer that is really there rests on the ticker.
            if (!tracking_ || !PointerIsOver()) {
                return 0;
            }
            break;
        case WM_MOUSELEAVE:
            tracking_ = false;
            wheel_.Reset();
            what = Pointer::kLeave;
            break;
        case WM_RBUTTONUP: {
            POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            ClientToScreen(hwnd(), &at);
            what = Pointer::kMenu;
            value = static_cast<int>(MAKELPARAM(at.x, at.y));
            break;
        }
        case WM_MOUSEWHEEL:  // never to DefWindowProc, which would hand it on to the taskbar
            value = wheel_.Add(GET_WHEEL_DELTA_WPARAM(wparam));
            if (value == 0) {
                return 0;
            }
            what = Pointer::kWheel;
            break;
        default:
            return std::nullopt;
    }
    if (on_pointer_) {
        on_pointer_(what, value);
    }
    return 0;
}

bool CTextProgressCtrl::PointerIsOver() const {
    POINT at;
    RECT place;
    return GetCursorPos(&at) && GetWindowRect(hwnd(), &place) && PtInRect(&place, at);
}

LRESULT CTextProgressCtrl::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (const std::optional<LRESULT> answer = OnPointer(message, wparam, lparam)) {
        return *answer;
    }
    switch (message) {
        case WM_TIMER:
            if (on_timer_ && on_timer_(static_cast<UINT_PTR>(wparam))) {
                return 0;
            }
            return DefaultProc(message, wparam, lparam);
        case WM_LBUTTONDOWN:
            if (on_left_click_) {
                on_left_click_();
            }
            return DefaultProc(message, wparam, lparam);
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything; erasing first would flicker
        case WM_SETTEXT: {
            const LRESULT result = DefaultProc(message, wparam, lparam);
            const auto* text = reinterpret_cast<const wchar_t*>(lparam);
            const std::wstring new_text = text != nullptr ? text : L"";
            if (new_text != window_text_) {
                window_text_ = new_text;
                InvalidateRect(hwnd(), nullptr, TRUE);
            }
            return result;
        }
        case WM_GETTEXT:
            return static_cast<LRESULT>(
                CopyTerminated(window_text_, reinterpret_cast<wchar_t*>(lparam), wparam));
        // DefWindowProc would hand these on to the parent, the shell's taskbar, and wait for its
        // answer: with the shell hung, a move of the mouse would hold Tickra.
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_CONTEXTMENU:
        case WM_SYSCOMMAND:  // nothing from its menu, which it has not; a close least of all
        case WM_MOUSEHWHEEL:
        case WM_APPCOMMAND:
        case WM_HELP:
        case WM_CHANGEUISTATE:
            return 0;
        default:
            // Keys would reach the shell's window as menu commands. The progress bar's own
            // messages, and any private one, may carry a pointer that the bar writes through, and
            // any program can post them: the ticker needs none of them from outside.
            if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || message >= WM_USER) {
                return 0;
            }
            return DefaultProc(message, wparam, lparam);
    }
}

void CTextProgressCtrl::Paint() {
    RECT client;
    GetClientRect(hwnd(), &client);
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(hwnd(), &paint);
    {
        CMemDC memory(screen);
        if (!memory.valid()) {
            EndPaint(hwnd(), &paint);
            return;
        }
        HDC dc = memory.dc();
        const double fraction =
            upper_ == lower_ ? 0.0 : static_cast<double>(position_ - lower_) / (upper_ - lower_);
        RECT filled = client;
        filled.right = client.left + static_cast<int>((client.right - client.left) * fraction);
        RECT unfilled = client;
        unfilled.left = filled.right;
        FillSolid(dc, filled, palette().bar);
        FillSolid(dc, unfilled, colours_.background);

        // Whole pixels only: antialiased, the outlines Wine draws for "宋体" at 12 pixels leave the
        // thin strokes at a fraction of their colour, too faint to read on a light taskbar.
        // Windows draws "宋体" at this size from the font's bitmaps either way.
        const UniqueFont font(CreateFontW(metrics_.font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                          FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                          CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                          FF_SWISS | DEFAULT_PITCH, L"宋体"));
        int text_width = 0;
        int chart_right = metrics_.chart.right;
        {
            const SelectObjectGuard font_guard(dc, font.get());
            SetBkMode(dc, TRANSPARENT);
            // Clip regions are in device units: the surface starts at its rectangle's corner.
            const UniqueRegion clip(CreateRectRgn(
                unfilled.left - memory.rect().left, unfilled.top - memory.rect().top,
                unfilled.right - memory.rect().left, unfilled.bottom - memory.rect().top));
            SelectClipRgn(dc, clip.get());

            const std::wstring text = Widen(ticker_text_);
            SetTextColor(dc, ColourFor(palette(), tone_));
            RECT measured{};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                      DT_CALCRECT | DT_SINGLELINE);
            text_width = measured.right - measured.left;
            RECT line = client;
            line.left += metrics_.text_indent;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &line,
                      DT_SINGLELINE | DT_VCENTER);
            DrawMarkers(dc, client);
            chart_right = DrawUnseenMark(dc, client);
        }
        if (held_) {
            DrawPin(dc, client);
        }
        if (history_) {
            DrawChart(dc, client, text_width, chart_right);
        }
        SelectClipRgn(dc, nullptr);
    }
    EndPaint(hwnd(), &paint);
}

void CTextProgressCtrl::DrawMarkers(HDC dc, const RECT& client) const {
    SetTextColor(dc, palette().marker);
    // The offsets add up within a column: with both markers of one column set, the second is
    // drawn past the window's edge, so only the first is seen.
    RECT arrows = client;
    RECT letters = client;
    auto draw = [dc](RECT& column, int offset, const char* marker) {
        column.left += offset;
        const std::wstring text = Widen(marker);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &column,
                  DT_SINGLELINE | DT_VCENTER);
    };
    if (flags_.break_below) {
        draw(arrows, metrics_.arrow_column, "↓");
    }
    if (flags_.cross_above) {
        draw(arrows, metrics_.arrow_column, "↑");
    }
    if (flags_.buy_zone) {
        draw(letters, metrics_.letter_column, "B");
    }
    if (flags_.sell_zone) {
        draw(letters, metrics_.letter_column, "S");
    }
}

void CTextProgressCtrl::DrawPin(HDC dc, const RECT& client) const {
    // A pin's head and its point in the ticker's top right corner, in the markers' colour.
    const int unit = std::max(1, metrics_.font_height / 6);
    const UniqueBrush brush(CreateSolidBrush(palette().marker));
    const RECT head{client.right - 4 * unit, client.top + unit, client.right - unit,
                    client.top + 4 * unit};
    FillRect(dc, &head, brush.get());
    const RECT point{client.right - 3 * unit, head.bottom, client.right - 2 * unit,
                     head.bottom + 3 * unit};
    FillRect(dc, &point, brush.get());
}

int CTextProgressCtrl::DrawUnseenMark(HDC dc, const RECT& client) const {
    if (unseen_ <= 0) {
        return metrics_.chart.right;
    }
    const std::wstring count = unseen_ > 99 ? L"99+" : std::to_wstring(unseen_);
    RECT measured{};
    DrawTextW(dc, count.c_str(), static_cast<int>(count.size()), &measured,
              DT_CALCRECT | DT_SINGLELINE);
    const int unit = std::max(1, metrics_.font_height / 6);
    const int dot = 3 * unit;
    const int right = metrics_.arrow_column - unit;
    const int left = right - (measured.right - measured.left) - dot - unit;
    const int middle = (client.top + client.bottom) / 2;
    const UniqueBrush brush(CreateSolidBrush(palette().marker));
    const SelectObjectGuard brush_guard(dc, brush.get());
    const SelectObjectGuard pen_guard(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, left, middle - dot / 2, left + dot + 1, middle - dot / 2 + dot + 1);
    SetTextColor(dc, palette().marker);
    RECT number{left + dot + unit, client.top, right, client.bottom};
    DrawTextW(dc, count.c_str(), static_cast<int>(count.size()), &number,
              DT_SINGLELINE | DT_VCENTER);
    return left - unit;
}

void CTextProgressCtrl::DrawChart(HDC dc, const RECT&, int text_width, int right) const {
    RECT window;
    GetWindowRect(hwnd(), &window);
    ChartMetrics chart = metrics_.chart;
    chart.right = right;
    const std::vector<ChartSegment> segments = ComputeChartSegments(
        *history_, reference_price_, text_width, window.bottom - window.top, chart);
    const UniquePen red(CreatePen(PS_SOLID, 1, palette().red));
    const UniquePen green(CreatePen(PS_SOLID, 1, palette().green));
    const SelectObjectGuard pen_guard(dc, red.get());
    for (const ChartSegment& s : segments) {
        SelectObject(dc, s.red ? red.get() : green.get());
        MoveToEx(dc, s.x0, s.y0, nullptr);
        LineTo(dc, s.x1, s.y1);
    }
}

}  // namespace tickra
