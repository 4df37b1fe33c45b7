#include "taskbar/n_progress_bar_win.h"

#include <commctrl.h>

#include <windowsx.h>

#include <utility>
#include <vector>

#include "taskbar/ticker_chart.h"
#include "taskbar/ticker_theme_win.h"
#include "ui/window.h"

namespace tickra {

namespace {

constexpr wchar_t kBridgeClass[] = L"Windows.UI.Composition.DesktopWindowContentBridge";
constexpr wchar_t kPrimaryClass[] = L"Shell_TrayWnd";
constexpr wchar_t kSecondaryClass[] = L"Shell_SecondaryTrayWnd";
constexpr UINT kRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

int CurrentOsGeneration() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    const bool known = GetVersionExW(&version) != FALSE;
    return OsGeneration(known, version.dwPlatformId, version.dwMajorVersion,
                        version.dwMinorVersion);
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The scaling of the display a window is on; older systems have one for all displays.
int DpiOf(HWND hwnd) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get_dpi_for_window != nullptr && hwnd != nullptr) {
        if (const UINT dpi = get_dpi_for_window(hwnd); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return ui::ScreenDpi();
}

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

bool HasBridge(HWND taskbar) {
    return FindWindowExW(taskbar, nullptr, kBridgeClass, nullptr) != nullptr;
}

// The "WorkerW" of a secondary taskbar that holds its task list: some builds have two.
HWND FindTaskList(HWND taskbar) {
    HWND first = FindWindowExW(taskbar, nullptr, L"WorkerW", nullptr);
    for (HWND w = first; w != nullptr; w = FindWindowExW(taskbar, w, L"WorkerW", nullptr)) {
        if (FindWindowExW(w, nullptr, L"MSTaskListWClass", nullptr) != nullptr) {
            return w;
        }
    }
    return first;
}

}  // namespace

std::vector<HWND> SecondaryTaskbars() {
    std::vector<HWND> taskbars;
    for (HWND t = FindWindowExW(nullptr, nullptr, kSecondaryClass, nullptr); t != nullptr;
         t = FindWindowExW(nullptr, t, kSecondaryClass, nullptr)) {
        taskbars.push_back(t);
    }
    return taskbars;
}

bool CNProgressBar::ShellWindow::Read() {
    RECT r;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) {
        return false;
    }
    rect = ToRect(r);
    return true;
}

CNProgressBar::CNProgressBar(ui::MessageBoxFunction message_box) {
    taskbar_.hwnd = FindWindowExW(nullptr, nullptr, kPrimaryClass, nullptr);
    Start(&message_box);
}

CNProgressBar::CNProgressBar(Role role, HWND taskbar) {
    if (role == Role::kSecondary) {
        taskbar_.hwnd = taskbar;
        placement_ = Placement::kSecondary;  // until its children say Windows 11
    }
    Start(nullptr);
}

void CNProgressBar::Start(ui::MessageBoxFunction* message_box) {
    auto tell = [message_box](const char* text, const char* caption, UINT type) {
        if (message_box != nullptr) {
            (*message_box)(nullptr, text, caption, type);
        }
    };
    FindShellWindows();
    if (CurrentOsGeneration() < 3) {
        enabled_ = false;
    }
    // A secondary taskbar's task list that is not there yet is looked for again at every check.
    const bool bands = rebar_.hwnd != nullptr && notify_.hwnd != nullptr;
    if (!secondary() && !bands && RunningUnderWine()) {
        placement_ = Placement::kStandalone;  // Wine's shell has no bands to sit between
    } else if (!secondary()) {
        if (rebar_.hwnd == nullptr) {
            tell("ReBarWindow32", "Can't find...", MB_OK);
            enabled_ = false;
        }
        if (notify_.hwnd == nullptr) {
            tell("TrayNotifyWnd", "Can't find...", MB_OK);
            enabled_ = false;
        }
    }
    if (message_box != nullptr && AnotherTickerRuns()) {
        tell("程序已经运行,不需再启动.", "提示", MB_ICONWARNING);
        enabled_ = false;
    }
    if (!enabled_) {
        return;
    }
    UpdateScaling();
    Embed();
    SetColours({0x000000, PaletteFor(0x000000)});  // until it has looked at its background
}

CNProgressBar::~CNProgressBar() {
    if (enabled_ && (placement_ == Placement::kClassic || placement_ == Placement::kSecondary)) {
        RestoreTaskbar();
    }
    Destroy();  // the ticker before the window it may live in
}

bool CNProgressBar::AnotherTickerRuns() {
    std::vector<HWND> taskbars = SecondaryTaskbars();
    taskbars.push_back(FindWindowExW(nullptr, nullptr, kPrimaryClass, nullptr));
    for (HWND taskbar : taskbars) {
        if (taskbar != nullptr && FindWindowExW(taskbar, nullptr, kClassName, nullptr) != nullptr) {
            return true;
        }
    }
    return FindWindowExW(nullptr, nullptr, kStandaloneClass, nullptr) != nullptr ||
           FindWindowExW(nullptr, nullptr, kHiddenTickersClass, nullptr) != nullptr;
}

void CNProgressBar::WatchForBalloon() {
    if (hwnd() != nullptr && placement_ == Placement::kStandalone) {
        balloon_polls_ = kBalloonPolls;
        SetTimer(hwnd(), kBalloonTimerId, kBalloonPollMs, nullptr);
    }
}

void CNProgressBar::MatchTaskbarColour() {
    if (hwnd() == nullptr) {
        return;
    }
    ReadColours();
    // The taskbar's pixels change when the shell gets round to repainting; the setting a window
    // of its own follows is already current when the change is announced.
    if (placement_ != Placement::kStandalone) {
        colour_rereads_ = kColourRereads;
        SetTimer(hwnd(), kColourTimerId, kColourRereadMs, nullptr);
    }
}

void CNProgressBar::ReadColours() {
    RECT place;
    if (hwnd() == nullptr || !GetWindowRect(hwnd(), &place)) {
        return;
    }
    const bool own_window = placement_ == Placement::kStandalone;
    std::optional<ScreenPoint> sample;
    if (!own_window && ShellWindowsExist() && taskbar_.Read()) {
        notify_.Read();
        clock_.Read();
        sample = BackgroundSamplePoint(ToRect(place), GapEnd());
    }
    const std::optional<TickerColours> colours =
        ChooseTickerColours(ReadThemeInputs(own_window, sample));
    if (colours && SetColours(*colours)) {
        Repaint();
    }
}

void CNProgressBar::FindShellWindows() {
    rebar_ = {};
    notify_ = {};
    clock_ = {};
    FindChildren();
    taskbar_.Read();
    rebar_.Read();
    notify_.Read();
    clock_.Read();
    last_notify_rect_ = GapEnd();
    last_taskbar_rect_ = taskbar_.rect;
}

bool CNProgressBar::FindChildren() {
    const ShellWindow rebar = rebar_, notify = notify_, clock = clock_;
    const Placement placement = placement_;
    if (!secondary()) {
        taskbar_.hwnd = FindWindowExW(nullptr, nullptr, kPrimaryClass, nullptr);
        const bool found = taskbar_.hwnd != nullptr;
        rebar_.hwnd =
            found ? FindWindowExW(taskbar_.hwnd, nullptr, L"ReBarWindow32", nullptr) : nullptr;
        notify_.hwnd =
            found ? FindWindowExW(taskbar_.hwnd, nullptr, L"TrayNotifyWnd", nullptr) : nullptr;
    } else {
        if (hwnd() == nullptr) {
            placement_ =
                HasBridge(taskbar_.hwnd) ? Placement::kSecondaryWindows11 : Placement::kSecondary;
        }
        rebar_.hwnd = FindTaskList(taskbar_.hwnd);
        clock_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"ClockButton", nullptr);
    }
    return rebar_.hwnd != rebar.hwnd || notify_.hwnd != notify.hwnd || clock_.hwnd != clock.hwnd ||
           placement_ != placement;
}

std::optional<Rect> CNProgressBar::Clock() const {
    return IsWindow(clock_.hwnd) ? std::optional<Rect>(clock_.rect) : std::nullopt;
}

bool CNProgressBar::ShellWindowsExist() const {
    if (secondary()) {
        return IsWindow(taskbar_.hwnd) &&
               (placement_ == Placement::kSecondaryWindows11 || IsWindow(rebar_.hwnd));
    }
    return IsWindow(taskbar_.hwnd) && IsWindow(rebar_.hwnd) && IsWindow(notify_.hwnd);
}

Rect CNProgressBar::GapEnd() const {
    const Rect& t = taskbar_.rect;
    switch (placement_) {
        case Placement::kSecondary:
            return SecondaryTaskbarEnd(t, Clock());
        case Placement::kSecondaryWindows11:
            return {t.right - metrics_.clock_room, t.top, t.right, t.bottom};
        default:
            return notify_.rect;
    }
}

bool CNProgressBar::Embed() {
    if (placement_ == Placement::kClassic || placement_ == Placement::kWindows11) {
        placement_ = HasBridge(taskbar_.hwnd) ? Placement::kWindows11 : Placement::kClassic;
    }
    if (placement_ == Placement::kStandalone && standalone_.hwnd() == nullptr &&
        !standalone_.Create(
            {kStandaloneClass, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))},
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, {0, 0, 1, 1}, nullptr, 0,
            L"Tickra")) {
        return false;
    }
    if (placement_ == Placement::kStandalone) {
        standalone_.WatchPlace();
    }
    if (placement_ == Placement::kClassic || placement_ == Placement::kSecondary) {
        MakeRoom();
    }
    PlaceTicker();
    return hwnd() != nullptr;
}

void CNProgressBar::UpdateScaling() {
    dpi_ = dpi_override_ > 0
               ? dpi_override_
               : DpiOf(placement_ == Placement::kStandalone ? standalone_.hwnd() : taskbar_.hwnd);
    metrics_ = ScaleHostMetrics(dpi_);
    SetMetrics(ScaleTickerMetrics(dpi_));
}

void CNProgressBar::MakeRoom() {
    rebar_.Read();
    notify_.Read();
    clock_.Read();
    taskbar_.Read();
    if (placement_ != Placement::kSecondary) {
        MoveRebar(ShrunkenRebar(taskbar_.rect, rebar_.rect, notify_.rect, layout_mode_, metrics_));
        return;
    }
    const std::optional<SecondaryLayout> layout =
        IsWindow(rebar_.hwnd)
            ? SecondaryTaskbarLayout(taskbar_.rect, rebar_.rect, Clock(), metrics_)
            : std::nullopt;
    gap_place_.reset();
    if (!layout) {
        // A taskbar too small for the gap gets no ticker, and its task list all the room.
        RestoreTaskbar();
        return;
    }
    MoveRebar(layout->task_list);
    task_list_moved_ = true;
    gap_place_ = layout->ticker;
}

void CNProgressBar::MoveRebar(const RebarBounds& bounds) {
    // The ReBar is the shell's: a move that waited for it would hang with a hung shell. This one
    // is applied when the shell's thread runs again, so the ticker goes where the ReBar will be.
    SetWindowPos(rebar_.hwnd, nullptr, bounds.x, bounds.y, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    POINT origin{0, 0};
    MapWindowPoints(taskbar_.hwnd, nullptr, &origin, 1);
    rebar_.rect = {origin.x + bounds.x, origin.y + bounds.y, origin.x + bounds.x + bounds.width,
                   origin.y + bounds.y + bounds.height};
}

void CNProgressBar::ShowIn(HWND parent, const Rect& r) {
    if (hwnd() == nullptr) {
        // Tracking ended with the last window, if there was one: the new one asks again.
        tracking_ = false;
        wheel_.Reset();
        CreateWindowIn(parent, RECT{r.left, r.top, r.right, r.bottom},
                       WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0);
        // A child of another thread's window shares that thread's input state, so that focus and
        // activation would wait for the shell, and a hung shell would hold every dialog of ours.
        const DWORD shell_thread = GetWindowThreadProcessId(parent, nullptr);
        if (hwnd() != nullptr && shell_thread != GetCurrentThreadId()) {
            AttachThreadInput(GetCurrentThreadId(), shell_thread, FALSE);
        }
        return;
    }
    MoveWindow(hwnd(), r.left, r.top, r.width(), r.height(), TRUE);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

void CNProgressBar::PlaceTicker() {
    switch (placement_) {
        case Placement::kClassic:  // after MakeRoom, which knows where the ReBar is going
            ShowIn(taskbar_.hwnd, TickerRect(rebar_.rect, metrics_));
            break;
        case Placement::kWindows11:
            taskbar_.Read();
            notify_.Read();
            ShowIn(taskbar_.hwnd, Windows11TickerRect(taskbar_.rect, notify_.rect, metrics_));
            break;
        case Placement::kSecondary:  // after MakeRoom too
            if (gap_place_) {
                ShowIn(taskbar_.hwnd, *gap_place_);
            } else {
                Destroy();
            }
            break;
        case Placement::kSecondaryWindows11:
            taskbar_.Read();
            ShowIn(taskbar_.hwnd, Windows11SecondaryTickerRect(taskbar_.rect, metrics_));
            break;
        case Placement::kStandalone: {
            // Placed before Wine's tray bar shows, it moves above the bar once its own timer
            // sees it.
            last_work_area_ = WorkArea();
            last_tray_top_ = WineTrayTop();
            last_balloon_ = TrayBalloon();
            const Rect r =
                StandaloneTickerRect(last_work_area_, last_tray_top_, metrics_, last_balloon_);
            SetWindowPos(standalone_.hwnd(), HWND_TOPMOST, r.left, r.top, r.width(), r.height(),
                         SWP_NOACTIVATE | SWP_SHOWWINDOW);
            ShowIn(standalone_.hwnd(), {0, 0, r.width(), r.height()});
            break;
        }
    }
}

void CNProgressBar::Reembed() {
    const bool standalone = placement_ == Placement::kStandalone;
    FindShellWindows();
    const bool bands = rebar_.hwnd != nullptr && notify_.hwnd != nullptr;
    if (!standalone && !bands) {
        return;  // the new taskbar is not there yet: try again at the next check
    }
    reembed_tries_ = 0;
    lost_ = false;
    // A broadcast without a real restart leaves our ticker where it is: no second one.
    if (!standalone && hwnd() != nullptr && GetParent(hwnd()) == taskbar_.hwnd) {
        if (placement_ == Placement::kClassic) {
            MakeRoom();
        }
        PlaceTicker();
        MatchTaskbarColour();  // a restarted shell may come with other colours
        return;
    }
    if (!standalone) {
        Destroy();  // one still in the old taskbar
    }
    if (!standalone && FindWindowExW(taskbar_.hwnd, nullptr, kClassName, nullptr) != nullptr) {
        enabled_ = false;  // another copy embedded its ticker first
        return;
    }
    layout_mode_ = LayoutMode::kNone;
    UpdateScaling();
    Embed();
    MatchTaskbarColour();
}

void CNProgressBar::KeepInPlace() {
    if (!enabled_) {
        return;
    }
    // A secondary taskbar's task list may come after it, or be made anew at full width. One that
    // goes takes its ticker with it; its owner drops this host.
    const bool renewed = secondary() && FindChildren();
    const bool had_ticker = hwnd() != nullptr;
    if (!secondary() && placement_ != Placement::kStandalone && !ShellWindowsExist() && !lost_) {
        lost_ = true;  // the taskbar went without a word: the shell restarted
        RequestReembed();
    }
    if (reembed_tries_ > 0 && !secondary()) {
        --reembed_tries_;
        Reembed();
        Repaint();
        return;
    }
    if (placement_ != Placement::kStandalone && !ShellWindowsExist()) {
        return;
    }
    const int previous_dpi = dpi_;
    UpdateScaling();
    bool needed = renewed || dpi_ != previous_dpi;
    switch (placement_) {
        case Placement::kClassic:
        case Placement::kSecondary:
            taskbar_.Read();
            notify_.Read();
            clock_.Read();
            rebar_.Read();
            // No gap on a taskbar too small for one: only a change of its size can make one.
            needed = needed || ((placement_ == Placement::kClassic || gap_place_) &&
                                GapTooSmall(taskbar_.rect, rebar_.rect, GapEnd(), metrics_));
            break;
        case Placement::kWindows11:
        case Placement::kSecondaryWindows11:
            taskbar_.Read();
            notify_.Read();
            break;
        case Placement::kStandalone:
            needed = needed || StandalonePlaceChanged();
            break;
    }
    if (placement_ != Placement::kStandalone &&
        (GapEnd() != last_notify_rect_ || taskbar_.rect != last_taskbar_rect_)) {
        needed = true;
        last_notify_rect_ = GapEnd();
        last_taskbar_rect_ = taskbar_.rect;
    }
    if (!needed) {
        Repaint();
        return;
    }
    if (placement_ == Placement::kClassic || placement_ == Placement::kSecondary) {
        MakeRoom();
        Repaint();
    }
    PlaceTicker();
    if (!had_ticker && hwnd() != nullptr) {
        MatchTaskbarColour();  // a ticker that came late looks at its background too
    }
}

bool CNProgressBar::StandalonePlaceChanged() const {
    return WorkArea() != last_work_area_ || WineTrayTop() != last_tray_top_ ||
           TrayBalloon() != last_balloon_;
}

LRESULT CNProgressBar::OwnWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == kPlaceTimerId) {
        if (host_.StandalonePlaceChanged()) {
            host_.PlaceTicker();
        }
        return 0;
    }
    return CustomWindow::OnMessage(message, wparam, lparam);
}

bool CNProgressBar::PointerIsOver() const {
    POINT at;
    RECT place;
    return GetCursorPos(&at) && GetWindowRect(hwnd(), &place) && PtInRect(&place, at);
}

void CNProgressBar::Repaint() {
    // Without a ticker (its taskbar went, the new one is not there yet) there is nothing to
    // repaint; a null window would repaint the whole desktop.
    if (hwnd() != nullptr) {
        RedrawWindow(hwnd(), nullptr, nullptr, kRepaint);
    }
}

void CNProgressBar::RestoreTaskbar() {
    if (secondary()) {
        FindChildren();  // a task list made anew, a clock that came
    }
    if (!ShellWindowsExist()) {
        return;
    }
    rebar_.Read();
    notify_.Read();
    clock_.Read();
    taskbar_.Read();
    if (placement_ == Placement::kSecondary) {
        // The room the taskbar has now: it may have grown, shrunk, turned or got a clock since.
        if (std::exchange(task_list_moved_, false)) {
            MoveRebar(RestoredSecondaryTaskList(taskbar_.rect, rebar_.rect, Clock()));
        }
        return;
    }
    MoveRebar(RestoreRebar(layout_mode_, taskbar_.rect, rebar_.rect, notify_.rect));
}

LRESULT CNProgressBar::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == kBalloonTimerId) {
        KeepInPlace();
        if (--balloon_polls_ <= 0) {
            KillTimer(hwnd(), kBalloonTimerId);
        }
        return 0;
    }
    if (message == WM_TIMER && wparam == kColourTimerId) {
        ReadColours();
        if (--colour_rereads_ <= 0) {
            KillTimer(hwnd(), kColourTimerId);
        }
        return 0;
    }
    if (message == WM_MOUSEMOVE && !tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd(), kRestMs};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    std::optional<Pointer> pointer;
    int value = 0;
    switch (message) {
        case WM_MOUSEHOVER:
            // Any program can post one: only a pointer that is really there rests on the ticker.
            if (!tracking_ || !PointerIsOver()) {
                return 0;
            }
            pointer = Pointer::kRest;
            break;
        case WM_MOUSELEAVE:
            tracking_ = false;
            wheel_.Reset();
            pointer = Pointer::kLeave;
            break;
        case WM_RBUTTONUP: {
            POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            ClientToScreen(hwnd(), &at);
            pointer = Pointer::kMenu;
            value = static_cast<int>(MAKELPARAM(at.x, at.y));
            break;
        }
        case WM_MOUSEWHEEL:
            value = wheel_.Add(GET_WHEEL_DELTA_WPARAM(wparam));
            if (value == 0) {
                return 0;
            }
            pointer = Pointer::kWheel;
            break;
    }
    if (pointer) {
        if (on_pointer_) {
            on_pointer_(*pointer, value);
        }
        return 0;
    }
    if (message != WM_LBUTTONDOWN) {
        return CTextProgressCtrl::OnMessage(message, wparam, lparam);
    }
    chart_requested_ = !chart_requested_;
    if (on_chart_request_) {
        on_chart_request_(chart_requested_);
    }
    return DefaultProc(message, wparam, lparam);
}

}  // namespace tickra
