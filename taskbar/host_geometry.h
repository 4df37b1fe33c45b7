// Where the ticker goes in the taskbar: the arithmetic over the shell windows' rectangles.
#pragma once

#include <optional>

#include "base/geometry.h"

namespace tickra {

// A position and size for MoveWindow, in the taskbar's client coordinates.
struct RebarBounds {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RebarBounds&) const = default;
};

// How the ReBar was laid out, remembered for giving the room back.
enum class LayoutMode { kNone = 0, kHorizontal = 1, kVertical = 2 };

// Sizes at 96 dpi; ScaleHostMetrics gives them for other scalings.
struct HostMetrics {
    int ticker_width = 215;
    int horizontal_gap = 220;  // left beside a horizontal ReBar
    int vertical_gap = 30;     // left below a vertical ReBar
    int vertical_height = 25;  // of the ticker on a vertical taskbar
    int band_cap = 30;         // band height used on a horizontal taskbar at most
    int clock_room = 88;  // left for the clock at the far end of a Windows 11 secondary taskbar
    bool operator==(const HostMetrics&) const = default;
};

// The sizes for a display scaling given in dots per inch (96 = 100 %).
HostMetrics ScaleHostMetrics(int dpi);

// Height of the ticker in a full band.
int TickerHeight(const HostMetrics& metrics);

// Windows 11: the ticker as a child of the taskbar just left of the notification area,
// vertically centred in the taskbar (the ReBar there is a stand-in and may be 0 pixels high).
Rect Windows11TickerRect(const Rect& taskbar, const Rect& notify, const HostMetrics& metrics = {});

// Under Wine without taskbar bands: a window of its own at the bottom right of the work area,
// above Wine's own tray bar when there is one (tray_top: its top edge, or the work area's bottom).
// A balloon of the tray that would cover it (its screen rectangle) puts it just left of the
// balloon: Tickra's own alerts must not hide the ticker.
Rect StandaloneTickerRect(const Rect& work_area, int tray_top, const HostMetrics& metrics = {},
                          const std::optional<Rect>& balloon = {});

// The shrunken ReBar that leaves the gap before the notification area (screen rectangles of the
// taskbar, ReBar and notification area in, the ReBar's new place out).
RebarBounds ShrunkenRebar(const Rect& taskbar, const Rect& rebar, const Rect& notify,
                          LayoutMode& mode, const HostMetrics& metrics = {});

// The ticker's rectangle in the gap after the (shrunken) ReBar.
Rect TickerRect(const Rect& rebar, const HostMetrics& metrics = {});

// True when the gap has been squeezed below its size.
bool GapTooSmall(const Rect& taskbar, const Rect& rebar, const Rect& notify,
                 const HostMetrics& metrics = {});

// The ReBar reaching the notification area again.
RebarBounds RestoreRebar(LayoutMode mode, const Rect& taskbar, const Rect& rebar,
                         const Rect& notify);

// A secondary taskbar of Windows 10 has no ReBar and no notification area: its task list (a
// "WorkerW") gives way instead, so that the gap is left before the clock, or before the
// taskbar's far end when it shows none. Screen rectangles in; out, in the taskbar's client
// coordinates, the task list's new bounds and the ticker's place; nothing when the taskbar has no
// room for the gap beside a task list at least as long as the taskbar is thick.
struct SecondaryLayout {
    RebarBounds task_list;
    Rect ticker;
    bool operator==(const SecondaryLayout&) const = default;
};
std::optional<SecondaryLayout> SecondaryTaskbarLayout(const Rect& taskbar, const Rect& task_list,
                                                      const std::optional<Rect>& clock,
                                                      const HostMetrics& metrics = {});
// The task list of a secondary taskbar reaching its clock, or its far end, again: from the
// taskbar, the task list and the clock as they are now. In the taskbar's client coordinates.
RebarBounds RestoredSecondaryTaskList(const Rect& taskbar, const Rect& task_list,
                                      const std::optional<Rect>& clock);
// What the gap of a secondary taskbar lies before: the clock, or the taskbar's far end. Screen
// coordinates, for GapTooSmall.
Rect SecondaryTaskbarEnd(const Rect& taskbar, const std::optional<Rect>& clock);

// Windows 11's secondary taskbar moves nothing either: the ticker sits before the clock's room at
// its far end. In the taskbar's client coordinates.
Rect Windows11SecondaryTickerRect(const Rect& taskbar, const HostMetrics& metrics = {});

// A pixel of the taskbar itself, in the space the ticker leaves before the notification area:
// the ticker's own pixels would only give its own colours back. Screen coordinates.
ScreenPoint BackgroundSamplePoint(const Rect& ticker, const Rect& notify);

// The OS generation of a GetVersionEx result: -1 unknown, 0–2 Windows 95/98/Me, 3 NT 4, 4 2000,
// 5 XP, 6 later.
int OsGeneration(bool known, unsigned long platform_id, unsigned long major, unsigned long minor);

}  // namespace tickra
