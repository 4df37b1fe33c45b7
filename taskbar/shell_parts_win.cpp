#include "taskbar/shell_parts_win.h"

namespace tickra {

namespace {

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

bool ShellWindow::Read() {
    RECT r;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) {
        return false;
    }
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

Rect MoveShellWindow(HWND window, HWND taskbar, const RebarBounds& bounds) {
    // A move that waited for the shell would hang with a hung shell.
    SetWindowPos(window, nullptr, bounds.x, bounds.y, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    POINT origin{0, 0};
    MapWindowPoints(taskbar, nullptr, &origin, 1);
    return {origin.x + bounds.x, origin.y + bounds.y, origin.x + bounds.x + bounds.width,
            origin.y + bounds.y + bounds.height};
}

bool GapWatch::Moved(const Rect& gap_end, const Rect& taskbar) {
    const bool moved = gap_end != gap_end_ || taskbar != taskbar_;
    gap_end_ = gap_end;
    taskbar_ = taskbar;
    return moved;
}

void PrimaryTaskbarSlot::FindParts() {
    taskbar_.hwnd = FindWindowExW(nullptr, nullptr, kPrimaryTaskbarClass, nullptr);
    rebar_ = {};
    notify_ = {};
    if (taskbar_.hwnd != nullptr) {
        rebar_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"ReBarWindow32", nullptr);
        notify_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"TrayNotifyWnd", nullptr);
    }
    rebar_.Read();
    Moved();
}

std::vector<const char*> PrimaryTaskbarSlot::MissingParts() const {
    std::vector<const char*> missing;
    if (rebar_.hwnd == nullptr) {
        missing.push_back("ReBarWindow32");
    }
    if (notify_.hwnd == nullptr) {
        missing.push_back("TrayNotifyWnd");
    }
    return missing;
}

TaskbarSlot::Parts PrimaryTaskbarSlot::parts() const {
    return IsWindow(taskbar_.hwnd) && IsWindow(rebar_.hwnd) && IsWindow(notify_.hwnd)
               ? Parts::kThere
               : Parts::kLost;
}

TaskbarSlot::Backdrop PrimaryTaskbarSlot::BackdropOf(const Rect& ticker) {
    if (parts() != Parts::kThere || !taskbar_.Read()) {
        return {};
    }
    notify_.Read();
    return {false, BackgroundSamplePoint(ticker, notify_.rect)};
}

bool PrimaryTaskbarSlot::Moved() {
    taskbar_.Read();
    notify_.Read();
    return watch_.Moved(notify_.rect, taskbar_.rect);
}

void SecondaryTaskbarSlot::FindParts() {
    task_list_ = {};
    clock_ = {};
    FindLateParts();
    task_list_.Read();
    Moved();
}

bool SecondaryTaskbarSlot::FindLateParts() {
    const HWND task_list = task_list_.hwnd, clock = clock_.hwnd;
    task_list_.hwnd = FindTaskList(taskbar_.hwnd);
    clock_.hwnd = FindWindowExW(taskbar_.hwnd, nullptr, L"ClockButton", nullptr);
    return task_list_.hwnd != task_list || clock_.hwnd != clock;
}

bool SecondaryTaskbarSlot::LayoutHolds() const {
    return MakeTaskbarSlot(TaskbarRole::kSecondary, taskbar_.hwnd)->kind() == kind();
}

TaskbarSlot::Parts SecondaryTaskbarSlot::parts() const {
    return IsWindow(taskbar_.hwnd) ? Parts::kThere : Parts::kGone;
}

TaskbarSlot::Backdrop SecondaryTaskbarSlot::BackdropOf(const Rect& ticker) {
    if (parts() != Parts::kThere || !taskbar_.Read()) {
        return {};
    }
    clock_.Read();
    return {false, BackgroundSamplePoint(ticker, GapEnd())};
}

std::optional<Rect> SecondaryTaskbarSlot::Clock() const {
    return IsWindow(clock_.hwnd) ? std::optional<Rect>(clock_.rect) : std::nullopt;
}

bool SecondaryTaskbarSlot::Moved() {
    taskbar_.Read();
    clock_.Read();
    return watch_.Moved(GapEnd(), taskbar_.rect);
}

}  // namespace tickra
