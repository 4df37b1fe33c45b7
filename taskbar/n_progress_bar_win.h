// The ticker host: puts the ticker into the taskbar and keeps it there.
//
// On the classic taskbar it opens a gap between the task buttons and the notification area by
// shrinking the ReBar, and gives the room back at the end. On Windows 11, whose ReBar is only a
// stand-in, it places the ticker left of the notification area and moves nothing. Under Wine,
// whose shell has no taskbar bands, the ticker gets a small top-most window of its own. After the
// shell restarts, the ticker is embedded again in the new taskbar. A secondary monitor's taskbar
// has no ReBar and no notification area: there the task list gives way before the clock, or on
// Windows 11 the ticker sits before the clock's room and nothing moves. All sizes follow the
// display scaling of the taskbar's own monitor.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "taskbar/host_geometry.h"
#include "taskbar/text_progress_ctrl_win.h"
#include "taskbar/wheel_steps.h"
#include "ui/message_box.h"

namespace tickra {

// Every secondary monitor's taskbar, in the shell's order.
std::vector<HWND> SecondaryTaskbars();

class CNProgressBar : public CTextProgressCtrl {
public:
    enum class Placement { kClassic, kWindows11, kStandalone, kSecondary, kSecondaryWindows11 };

    // Finds the shell's windows, refuses to run a second ticker, and embeds this one in the
    // primary taskbar; a failure is reported with a message box and leaves the host disabled.
    explicit CNProgressBar(ui::MessageBoxFunction message_box = ui::SystemMessageBox());
    enum class Role { kPrimary, kSecondary };
    // Embeds a ticker in the primary taskbar, or in this secondary one, once the first ticker has
    // shown that no other copy runs. Nothing is said when it cannot. A secondary host keeps to its
    // taskbar, even one that went meanwhile: it looks for the taskbar's children at every check,
    // and never turns to the primary.
    CNProgressBar(Role role, HWND taskbar);
    // Gives a classic ReBar or task list its room back, as much as its taskbar has now.
    ~CNProgressBar() override;

    // A ticker of another copy of Tickra is under one of the taskbars, or hidden.
    static bool AnotherTickerRuns();

    // Takes its colours from what it is drawn on: the taskbar beside it, or for a window of its
    // own the taskbar's light or dark setting; the system's colours in high contrast. In a
    // taskbar it looks now and a few times within the next second, since the shell repaints in
    // its own time. The main dialog calls it again for every change of colours, theme or display.
    void MatchTaskbarColour();
    // Re-opens or follows the ticker's place when the shell has changed, and repaints it.
    void KeepInPlace();
    // Tickra raised a balloon: a window of its own moves aside as soon as the balloon shows, and
    // back at the next check after it has gone.
    void WatchForBalloon();
    // The shell announced a new taskbar: the next keep-in-place check embeds the ticker again.
    void RequestReembed() { reembed_tries_ = kReembedTries; }

    bool enabled() const { return enabled_; }
    Placement placement() const { return placement_; }
    // The taskbar the ticker is meant for; null for a window of its own.
    HWND taskbar() const { return taskbar_.hwnd; }
    // A secondary taskbar that has gone: the ticker goes with it, and is not brought back.
    bool gone() const { return secondary() && !IsWindow(taskbar_.hwnd); }
    bool chart_requested() const { return chart_requested_; }
    void set_chart_requested(bool requested) { chart_requested_ = requested; }
    // Told of each click's new chart request.
    void set_on_chart_request(std::function<void(bool requested)> handler) {
        on_chart_request_ = std::move(handler);
    }
    // What the pointer does over the ticker: it rests on it (about 400 ms), leaves it, asks for
    // its menu (value: the screen point, as MAKELPARAM), or turns the wheel (value: whole steps,
    // positive away from the user).
    enum class Pointer { kRest, kLeave, kMenu, kWheel };
    void set_on_pointer(std::function<void(Pointer what, int value)> handler) {
        on_pointer_ = std::move(handler);
    }
    // Colours are still to be looked at again after the last MatchTaskbarColour.
    bool rereading_colours() const { return colour_rereads_ > 0; }
    // Tests fix the display scaling instead of asking the taskbar.
    void set_dpi_for_testing(int dpi) { dpi_override_ = dpi; }
    // The window the ticker lives in when it has one of its own.
    HWND standalone_window() const { return standalone_.hwnd(); }

    static constexpr wchar_t kStandaloneClass[] = L"TickraTickerWindow";
    // A window never shown, there while this copy's tickers are hidden.
    static constexpr wchar_t kHiddenTickersClass[] = L"TickraHiddenTickers";

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    static constexpr int kReembedTries = 10;
    static constexpr UINT_PTR kColourTimerId = 101;
    static constexpr UINT kColourRereadMs = 300;
    static constexpr int kColourRereads = 3;
    static constexpr DWORD kRestMs = 400;  // before the pointer counts as resting
    static constexpr UINT_PTR kBalloonTimerId = 102;
    static constexpr UINT kBalloonPollMs = 100;
    static constexpr int kBalloonPolls = 30;

    struct ShellWindow {
        HWND hwnd = nullptr;
        Rect rect;
        // Reads the window's screen rectangle; false when the window is gone.
        bool Read();
    };

    bool secondary() const {
        return placement_ == Placement::kSecondary || placement_ == Placement::kSecondaryWindows11;
    }
    // The window of its own, which looks at its place on a timer of its own: Wine's tray bar
    // comes with the first icon, from another thread, and may move when the display changes.
    class OwnWindow : public ui::CustomWindow {
    public:
        explicit OwnWindow(CNProgressBar& host) : host_(host) {}
        void WatchPlace() { SetTimer(hwnd(), kPlaceTimerId, kPlacePollMs, nullptr); }

    protected:
        LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    private:
        static constexpr UINT_PTR kPlaceTimerId = 1;
        static constexpr UINT kPlacePollMs = 250;
        CNProgressBar& host_;
    };

    void Start(ui::MessageBoxFunction* message_box);
    void FindShellWindows();
    // Finds the taskbar's children; true when one of them is new. A secondary taskbar's may come
    // after it or be made anew, and say which layout it has until a ticker is shown.
    bool FindChildren();
    // A secondary taskbar's clock, when it shows one.
    std::optional<Rect> Clock() const;
    // Under Wine, the work area, the tray bar or a balloon moved since the window was placed.
    bool StandalonePlaceChanged() const;
    bool ShellWindowsExist() const;
    // What the gap lies before: the notification area, a secondary taskbar's clock or far end.
    Rect GapEnd() const;
    // Embeds the ticker at the place the shell offers; false when it cannot.
    bool Embed();
    void Reembed();
    void UpdateScaling();
    void MakeRoom();
    void MoveRebar(const RebarBounds& bounds);
    void PlaceTicker();
    void RestoreTaskbar();
    void Repaint();
    bool PointerIsOver() const;
    void ReadColours();
    void ShowIn(HWND parent, const Rect& rect);

    bool enabled_ = true;
    Placement placement_ = Placement::kClassic;
    LayoutMode layout_mode_ = LayoutMode::kNone;
    // On a secondary taskbar, the task list stands in for the ReBar and the clock, when there is
    // one, for the notification area.
    ShellWindow rebar_, notify_, taskbar_, clock_;
    bool task_list_moved_ = false;   // a secondary taskbar's, to be given its room back
    std::optional<Rect> gap_place_;  // the ticker's in a secondary taskbar, when it has room
    Rect last_notify_rect_, last_taskbar_rect_, last_work_area_;
    int last_tray_top_ = 0;
    std::optional<Rect> last_balloon_;
    int balloon_polls_ = 0;
    OwnWindow standalone_{*this};
    HostMetrics metrics_;
    int dpi_ = 96;
    int dpi_override_ = 0;
    int reembed_tries_ = 0;
    int colour_rereads_ = 0;
    bool lost_ = false;  // the taskbar vanished; re-embedding is under way or given up
    bool chart_requested_ = false;
    std::function<void(bool)> on_chart_request_;
    bool tracking_ = false;  // the pointer is over this ticker window, and its leaving will be told
    WheelSteps wheel_;
    std::function<void(Pointer, int)> on_pointer_;
};

}  // namespace tickra
