// The shell's windows that the slots of one taskbar find and read alike: the primary taskbar's
// ReBar and notification area, a secondary taskbar's task list and clock.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "taskbar/host_geometry.h"
#include "taskbar/taskbar_slot_win.h"

namespace tickra {

inline constexpr wchar_t kPrimaryTaskbarClass[] = L"Shell_TrayWnd";
inline constexpr wchar_t kSecondaryTaskbarClass[] = L"Shell_SecondaryTrayWnd";

struct ShellWindow {
    HWND hwnd = nullptr;
    Rect rect;
    // Reads the window's screen rectangle; false when the window is gone.
    bool Read();
};

// Moves a window of the shell; bounds in the taskbar's client coordinates. Returns the screen
// rectangle it is going to have: the move waits for nobody, and is applied when the shell's
// thread runs again.
Rect MoveShellWindow(HWND window, HWND taskbar, const RebarBounds& bounds);

// What the ticker's place was last measured against: the end of its gap and the taskbar.
class GapWatch {
public:
    // True when either differs from the last look, which is then remembered.
    bool Moved(const Rect& gap_end, const Rect& taskbar);

private:
    Rect gap_end_, taskbar_;
};

// The primary taskbar: the ticker sits before its notification area. Its windows are found once,
// and again only when the shell restarts.
class PrimaryTaskbarSlot : public TaskbarSlot {
public:
    HWND taskbar() const override { return taskbar_.hwnd; }
    void FindParts() override;
    std::vector<const char*> MissingParts() const override;
    Parts parts() const override;
    Backdrop BackdropOf(const Rect& ticker) override;

protected:
    // Reads the taskbar and its notification area; true when either moved since the last look.
    bool Moved();

    ShellWindow taskbar_, rebar_, notify_;

private:
    GapWatch watch_;
};

// A secondary monitor's taskbar: no ReBar and no notification area, a task list (a "WorkerW")
// and a clock that may come after it or be made anew, so they are looked for at every check.
class SecondaryTaskbarSlot : public TaskbarSlot {
public:
    explicit SecondaryTaskbarSlot(HWND taskbar) { taskbar_.hwnd = taskbar; }
    HWND taskbar() const override { return taskbar_.hwnd; }
    void FindParts() override;
    bool FindLateParts() override;
    // The factory would still pick this kind for the taskbar.
    bool LayoutHolds() const override;
    Parts parts() const override;
    Backdrop BackdropOf(const Rect& ticker) override;

protected:
    // What the ticker's gap lies before, in screen coordinates.
    virtual Rect GapEnd() const = 0;
    std::optional<Rect> Clock() const;
    // Reads the taskbar and its clock; true when the gap's end or the taskbar moved since the
    // last look.
    bool Moved();

    ShellWindow taskbar_, task_list_, clock_;

private:
    GapWatch watch_;
};

}  // namespace tickra
