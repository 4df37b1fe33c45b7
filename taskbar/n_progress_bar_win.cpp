#include "taskbar/n_progress_bar_win.h"

#include <commctrl.h>

#include <optional>

#include "taskbar/ticker_theme_win.h"
#include "ui/window.h"

namespace tickra {

namespace {

constexpr UINT kRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

int CurrentOsGeneration() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    const bool known = GetVersionExW(&version) != FALSE;
    return OsGeneration(known, version.dwPlatformId, version.dwMajorVersion,
                        version.dwMinorVersion);
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

}  // namespace

CNProgressBar::CNProgressBar(ui::MessageBoxFunction message_box) {
    Start(nullptr, &message_box);
}

CNProgressBar::CNProgressBar(Role role, HWND taskbar) : role_(role) {
    Start(taskbar, nullptr);
}

void CNProgressBar::Start(HWND taskbar, ui::MessageBoxFunction* message_box) {
    auto tell = [message_box](const char* text, const char* caption, UINT type) {
        if (message_box != nullptr) {
            (*message_box)(nullptr, text, caption, type);
        }
    };
    ticker_.set_on_left_click([this] {
        chart_requested_ = !chart_requested_;
        if (on_chart_request_) {
            on_chart_request_(chart_requested_);
        }
    });
    ticker_.set_on_timer([this](UINT_PTR id) { return OnTickerTimer(id); });
    ChooseSlot(taskbar);
    if (CurrentOsGeneration() < 3) {
        enabled_ = false;
    }
    for (const char* part : slot_->MissingParts()) {
        tell(part, "Can't find...", MB_OK);
        enabled_ = false;
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
    ticker_.SetColours({0x000000, PaletteFor(0x000000)});  // until it has looked at its background
}

CNProgressBar::~CNProgressBar() {
    if (enabled_) {
        slot_->GiveRoomBack();
    }
    ticker_.Destroy();  // the ticker before the window it may live in
}

void CNProgressBar::ChooseSlot(HWND taskbar) {
    slot_ = MakeTaskbarSlot(role_, taskbar);
    slot_->set_metrics(metrics_);
    slot_->set_on_check([this] { KeepInPlace(); });
    slot_->FindParts();
}

void CNProgressBar::WatchForBalloon() {
    if (ticker_.hwnd() != nullptr) {
        slot_->WatchForBalloon();
    }
}

void CNProgressBar::MatchTaskbarColour() {
    if (ticker_.hwnd() == nullptr) {
        return;
    }
    // The taskbar's pixels change when the shell gets round to repainting; the setting a window
    // of its own follows is already current when the change is announced.
    if (!ReadColours().own_window) {
        colour_rereads_ = kColourRereads;
        SetTimer(ticker_.hwnd(), kColourTimerId, kColourRereadMs, nullptr);
    }
}

TaskbarSlot::Backdrop CNProgressBar::ReadColours() {
    RECT place;
    if (ticker_.hwnd() == nullptr || !GetWindowRect(ticker_.hwnd(), &place)) {
        return {};
    }
    const TaskbarSlot::Backdrop backdrop =
        slot_->BackdropOf({place.left, place.top, place.right, place.bottom});
    const std::optional<TickerColours> colours =
        ChooseTickerColours(ReadThemeInputs(backdrop.own_window, backdrop.sample));
    if (colours && ticker_.SetColours(*colours)) {
        Repaint();
    }
    return backdrop;
}

bool CNProgressBar::OnTickerTimer(UINT_PTR id) {
    if (id != kColourTimerId) {
        return false;
    }
    ReadColours();
    if (--colour_rereads_ <= 0) {
        KillTimer(ticker_.hwnd(), kColourTimerId);
    }
    return true;
}

bool CNProgressBar::FindPartsAgain() {
    // A secondary taskbar says which layout it has until a ticker is shown in it.
    if (ticker_.hwnd() == nullptr && !slot_->LayoutHolds()) {
        ChooseSlot(slot_->taskbar());
        return true;
    }
    return slot_->FindLateParts();
}

void CNProgressBar::Embed() {
    slot_->MakeRoom();
    PlaceTicker();
}

void CNProgressBar::UpdateScaling() {
    dpi_ = dpi_override_ > 0 ? dpi_override_ : DpiOf(slot_->parent());
    metrics_ = ScaleHostMetrics(dpi_);
    slot_->set_metrics(metrics_);
    ticker_.SetMetrics(ScaleTickerMetrics(dpi_));
}

void CNProgressBar::ShowIn(HWND parent, const Rect& r) {
    if (ticker_.hwnd() == nullptr) {
        ticker_.CreateWindowIn(parent, RECT{r.left, r.top, r.right, r.bottom},
                               WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0);
        // A child of another thread's window shares that thread's input state, so that focus and
        // activation would wait for the shell, and a hung shell would hold every dialog of ours.
        const DWORD shell_thread = GetWindowThreadProcessId(parent, nullptr);
        if (ticker_.hwnd() != nullptr && shell_thread != GetCurrentThreadId()) {
            AttachThreadInput(GetCurrentThreadId(), shell_thread, FALSE);
        }
        return;
    }
    MoveWindow(ticker_.hwnd(), r.left, r.top, r.width(), r.height(), TRUE);
    RedrawWindow(ticker_.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

void CNProgressBar::PlaceTicker() {
    if (const std::optional<TickerPlace> place = slot_->Place()) {
        ShowIn(place->parent, place->rect);
    } else {
        ticker_.Destroy();  // no room for it on this taskbar
    }
}

void CNProgressBar::Reembed() {
    slot_->FindParts();
    if (slot_->parts() != TaskbarSlot::Parts::kThere) {
        return;  // the new taskbar is not there yet: try again at the next check
    }
    reembed_tries_ = 0;
    lost_ = false;
    // A broadcast without a real restart leaves our ticker where it is: no second one.
    if (ticker_.hwnd() != nullptr && GetParent(ticker_.hwnd()) == slot_->parent()) {
        slot_->MakeRoom();
        PlaceTicker();
        MatchTaskbarColour();  // a restarted shell may come with other colours
        return;
    }
    ticker_.Destroy();  // one still in the old taskbar
    if (FindWindowExW(slot_->parent(), nullptr, CTextProgressCtrl::kClassName, nullptr) !=
        nullptr) {
        enabled_ = false;  // another copy embedded its ticker first
        return;
    }
    ChooseSlot(slot_->taskbar());  // the new taskbar may have the other layout
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
    const bool renewed = FindPartsAgain();
    const bool had_ticker = ticker_.hwnd() != nullptr;
    const TaskbarSlot::Parts parts = slot_->parts();
    if (parts == TaskbarSlot::Parts::kLost && !lost_) {
        lost_ = true;  // the taskbar went without a word: the shell restarted
        RequestReembed();
    }
    if (reembed_tries_ > 0) {
        --reembed_tries_;
        Reembed();
        Repaint();
        return;
    }
    if (parts != TaskbarSlot::Parts::kThere) {
        return;
    }
    const int previous_dpi = dpi_;
    UpdateScaling();
    const bool changed = slot_->LayoutChanged();
    if (!renewed && dpi_ == previous_dpi && !changed) {
        Repaint();
        return;
    }
    slot_->MakeRoom();
    Repaint();
    PlaceTicker();
    if (!had_ticker && ticker_.hwnd() != nullptr) {
        MatchTaskbarColour();  // a ticker that came late looks at its background too
    }
}

void CNProgressBar::Repaint() {
    // Without a ticker (its taskbar went, the new one is not there yet) there is nothing to
    // repaint; a null window would repaint the whole desktop.
    if (ticker_.hwnd() != nullptr) {
        RedrawWindow(ticker_.hwnd(), nullptr, nullptr, kRepaint);
    }
}

}  // namespace tickra
