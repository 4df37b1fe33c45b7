// The ticker host: puts one ticker into one taskbar and keeps it there.
//
// Where the ticker goes, and what room it takes, depends on the kind of taskbar: the host's slot
// (taskbar_slot_win.h) knows that for its kind. The host keeps the ticker, looks at every check
// whether its place has moved, embeds it again after the shell restarts, follows the display
// scaling of the taskbar's own monitor, and takes the ticker's colours from what it is drawn on.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "taskbar/host_geometry.h"
#include "taskbar/taskbar_slot_win.h"
#include "ticker/text_progress_ctrl_win.h"
#include "ui/message_box.h"

namespace tickra {

class CNProgressBar {
public:
    using Placement = SlotKind;
    using Role = TaskbarRole;
    using Pointer = CTextProgressCtrl::Pointer;

    // Finds the shell's windows, refuses to run a second ticker, and embeds this one in the
    // primary taskbar; a failure is reported with a message box and leaves the host disabled.
    explicit CNProgressBar(ui::MessageBoxFunction message_box = ui::SystemMessageBox());
    // Embeds a ticker in the primary taskbar, or in this secondary one, once the first ticker has
    // shown that no other copy runs. Nothing is said when it cannot. A secondary host keeps to its
    // taskbar, even one that went meanwhile: it looks for the taskbar's children at every check,
    // and never turns to the primary.
    CNProgressBar(Role role, HWND taskbar);
    // Gives the taskbar the room the ticker took, as much as the taskbar has now.
    ~CNProgressBar();
    CNProgressBar(const CNProgressBar&) = delete;
    CNProgressBar& operator=(const CNProgressBar&) = delete;

    // A ticker of another copy of Tickra is under one of the taskbars, or hidden.
    static bool AnotherTickerRuns() { return tickra::AnotherTickerRuns(); }

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
    Placement placement() const { return slot_->kind(); }
    // The taskbar the ticker is meant for; null for a window of its own.
    HWND taskbar() const { return slot_->taskbar(); }
    // A secondary taskbar that has gone: the ticker goes with it, and is not brought back.
    bool gone() const { return slot_->parts() == TaskbarSlot::Parts::kGone; }
    bool chart_requested() const { return chart_requested_; }
    void set_chart_requested(bool requested) { chart_requested_ = requested; }
    // Told of each click's new chart request.
    void set_on_chart_request(std::function<void(bool requested)> handler) {
        on_chart_request_ = std::move(handler);
    }
    void set_on_pointer(std::function<void(Pointer what, int value)> handler) {
        ticker_.set_on_pointer(std::move(handler));
    }
    // Colours are still to be looked at again after the last MatchTaskbarColour.
    bool rereading_colours() const { return colour_rereads_ > 0; }
    // Tests fix the display scaling instead of asking the taskbar.
    void set_dpi_for_testing(int dpi) { dpi_override_ = dpi; }
    // The window the ticker lives in when it has one of its own.
    HWND standalone_window() const { return slot_->taskbar() ? nullptr : slot_->parent(); }

    // The ticker control's window (null while there is none), what it shows, and how.
    HWND hwnd() const { return ticker_.hwnd(); }
    void ApplyTickerState(const TickerState& state, const MinuteHistory* history) {
        ticker_.ApplyTickerState(state, history);
    }
    const TickerColours& colours() const { return ticker_.colours(); }
    const TickerMetrics& metrics() const { return ticker_.metrics(); }

private:
    static constexpr int kReembedTries = 10;
    static constexpr UINT_PTR kColourTimerId = 101;
    static constexpr UINT kColourRereadMs = 300;
    static constexpr int kColourRereads = 3;

    void Start(HWND taskbar, ui::MessageBoxFunction* message_box);
    // Picks the slot for the taskbar's layout and finds its windows.
    void ChooseSlot(HWND taskbar);
    // Looks for what came or changed in the taskbar since the last check; true when anything did.
    bool FindPartsAgain();
    void Embed();
    void Reembed();
    void UpdateScaling();
    void PlaceTicker();
    void Repaint();
    // Reads the colours; what they came from.
    TaskbarSlot::Backdrop ReadColours();
    bool OnTickerTimer(UINT_PTR id);
    void ShowIn(HWND parent, const Rect& rect);

    Role role_ = Role::kPrimary;
    bool enabled_ = true;
    std::unique_ptr<TaskbarSlot> slot_;
    // After the slot: the ticker goes before the window it may live in.
    CTextProgressCtrl ticker_;
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
