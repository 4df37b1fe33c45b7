// Where a ticker sits in one kind of taskbar: the shell's windows around it, the room it takes and
// gives back, and when its place has to be worked out again. One implementation per kind of
// taskbar; MakeTaskbarSlot picks it. The ticker itself, and the timers, belong to its host.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "taskbar/host_geometry.h"

namespace tickra {

enum class TaskbarRole { kPrimary, kSecondary };
enum class SlotKind { kClassic, kWindows11, kStandalone, kSecondary, kSecondaryWindows11 };

// The window the ticker is a child of, and its rectangle there in client coordinates.
struct TickerPlace {
    HWND parent = nullptr;
    Rect rect;
};

class TaskbarSlot {
public:
    // Whether the shell's windows the slot needs are there.
    enum class Parts {
        kThere,
        kAwaited,  // not yet: a secondary taskbar's task list may come after the taskbar
        kLost,     // the taskbar went without a word, as when the shell restarts
        kGone,     // a secondary taskbar went, and its ticker with it, for good
    };
    // What the ticker's colours come from: a pixel of the taskbar beside it (none while the
    // taskbar is not there), or, for a window of its own, the taskbar's light or dark setting.
    struct Backdrop {
        bool own_window = false;
        std::optional<ScreenPoint> sample;
    };

    virtual ~TaskbarSlot() = default;

    virtual SlotKind kind() const = 0;
    // The taskbar the ticker is meant for; null for a window of its own.
    virtual HWND taskbar() const = 0;
    // The window the ticker lives in, whose display's scaling it follows.
    virtual HWND parent() const { return taskbar(); }

    // Finds the shell's windows anew and takes where they are as the layout placed.
    virtual void FindParts() = 0;
    // Those that were not found and without which no ticker can ever be placed, by class.
    virtual std::vector<const char*> MissingParts() const { return {}; }
    // At every check: looks for windows that came late or were made anew; true when one is new.
    virtual bool FindLateParts() { return false; }
    // False when the taskbar turned out to have another kind's layout; asked while no ticker
    // is shown. A primary taskbar's layout is read again only when the shell restarts.
    virtual bool LayoutHolds() const { return true; }
    virtual Parts parts() const = 0;

    // Makes room for the ticker; moves of the shell's windows do not wait for the shell.
    virtual void MakeRoom() {}
    // Where the ticker goes, after MakeRoom; nothing when there is no room for one.
    virtual std::optional<TickerPlace> Place() = 0;
    // True when the ticker's place has moved or been squeezed since it was last looked at.
    virtual bool LayoutChanged() = 0;
    // Gives back the room MakeRoom took, as much as the taskbar has now.
    virtual void GiveRoomBack() {}

    virtual Backdrop BackdropOf(const Rect& ticker) = 0;
    // Tickra raised a balloon, which must not hide the ticker.
    virtual void WatchForBalloon() {}

    // The sizes for the taskbar's display scaling.
    void set_metrics(const HostMetrics& metrics) { metrics_ = metrics; }
    // How a slot that watches its place itself asks its host for a check.
    void set_on_check(std::function<void()> check) { on_check_ = std::move(check); }

protected:
    HostMetrics metrics_;
    std::function<void()> on_check_;
};

// The slot for this taskbar's layout. The primary's is looked for anew; taskbar is a secondary's.
std::unique_ptr<TaskbarSlot> MakeTaskbarSlot(TaskbarRole role, HWND taskbar);

// Every secondary monitor's taskbar, in the shell's order.
std::vector<HWND> SecondaryTaskbars();

// A window never shown, there while a copy's tickers are hidden: it still runs.
inline constexpr wchar_t kHiddenTickersClass[] = L"TickraHiddenTickers";

// A ticker of another copy of Tickra is in one of the taskbars, or in a window of its own.
bool AnotherTickerRuns();

}  // namespace tickra
