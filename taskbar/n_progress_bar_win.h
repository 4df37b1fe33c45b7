// The ticker host: puts the ticker into the taskbar and keeps it there.
//
// On the classic taskbar it opens a gap between the task buttons and the notification area by
// shrinking the ReBar, and gives the room back at the end. On Windows 11, whose ReBar is only a
// stand-in, it places the ticker left of the notification area and moves nothing. Under Wine,
// whose shell has no taskbar bands, the ticker gets a small top-most window of its own. After the
// shell restarts, the ticker is embedded again in the new taskbar. All sizes follow the
// taskbar's display scaling.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "taskbar/host_geometry.h"
#include "taskbar/text_progress_ctrl_win.h"
#include "ui/message_box.h"

namespace tickra {

class CNProgressBar : public CTextProgressCtrl {
public:
    enum class Placement { kClassic, kWindows11, kStandalone };

    // Finds the shell's windows, refuses to run a second ticker, and embeds this one; a failure
    // is reported with a message box and leaves the host disabled.
    explicit CNProgressBar(ui::MessageBoxFunction message_box = ui::SystemMessageBox());
    // Gives a classic ReBar its room back.
    ~CNProgressBar() override;

    // Takes its colours from what it is drawn on: the taskbar beside it, or for a window of its
    // own the taskbar's light or dark setting; the system's colours in high contrast. In a
    // taskbar it looks now and a few times within the next second, since the shell repaints in
    // its own time. The main dialog calls it again for every change of colours, theme or display.
    void MatchTaskbarColour();
    // Re-opens or follows the ticker's place when the shell has changed, and repaints it.
    void KeepInPlace();
    // The shell announced a new taskbar: the next keep-in-place check embeds the ticker again.
    void RequestReembed() { reembed_tries_ = kReembedTries; }

    bool enabled() const { return enabled_; }
    Placement placement() const { return placement_; }
    bool chart_requested() const { return chart_requested_; }
    void set_chart_requested(bool requested) { chart_requested_ = requested; }
    // Told of each click's new chart request.
    void set_on_chart_request(std::function<void(bool requested)> handler) {
        on_chart_request_ = std::move(handler);
    }
    // Colours are still to be looked at again after the last MatchTaskbarColour.
    bool rereading_colours() const { return colour_rereads_ > 0; }
    // Tests fix the display scaling instead of asking the taskbar.
    void set_dpi_for_testing(int dpi) { dpi_override_ = dpi; }
    // The window the ticker lives in when it has one of its own.
    HWND standalone_window() const { return standalone_.hwnd(); }

    static constexpr wchar_t kStandaloneClass[] = L"TickraTickerWindow";

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    static constexpr int kReembedTries = 10;
    static constexpr UINT_PTR kColourTimerId = 101;
    static constexpr UINT kColourRereadMs = 300;
    static constexpr int kColourRereads = 3;

    struct ShellWindow {
        HWND hwnd = nullptr;
        Rect rect;
        // Reads the window's screen rectangle; false when the window is gone.
        bool Read();
    };

    void FindShellWindows();
    bool ShellWindowsExist() const;
    bool AnotherTickerRuns() const;
    // Embeds the ticker at the place the shell offers; false when it cannot.
    bool Embed();
    void Reembed();
    void UpdateScaling();
    void MakeRoom();
    void MoveRebar(const RebarBounds& bounds);
    void PlaceTicker();
    void RestoreTaskbar();
    void Repaint();
    void ReadColours();
    void ShowIn(HWND parent, const Rect& rect);

    bool enabled_ = true;
    Placement placement_ = Placement::kClassic;
    LayoutMode layout_mode_ = LayoutMode::kNone;
    ShellWindow rebar_, notify_, taskbar_;
    Rect last_notify_rect_, last_taskbar_rect_, last_work_area_;
    int last_tray_top_ = 0;
    ui::CustomWindow standalone_;
    HostMetrics metrics_;
    int dpi_ = 96;
    int dpi_override_ = 0;
    int reembed_tries_ = 0;
    int colour_rereads_ = 0;
    bool lost_ = false;  // the taskbar vanished; re-embedding is under way or given up
    bool chart_requested_ = false;
    std::function<void(bool)> on_chart_request_;
};

}  // namespace tickra
