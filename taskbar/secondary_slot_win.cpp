#include "taskbar/secondary_slot_win.h"

#include <utility>

namespace tickra {

TaskbarSlot::Parts SecondarySlot::parts() const {
    const Parts taskbar = SecondaryTaskbarSlot::parts();
    return taskbar == Parts::kThere && !IsWindow(task_list_.hwnd) ? Parts::kAwaited : taskbar;
}

void SecondarySlot::MakeRoom() {
    task_list_.Read();
    clock_.Read();
    taskbar_.Read();
    const std::optional<SecondaryLayout> layout =
        IsWindow(task_list_.hwnd)
            ? SecondaryTaskbarLayout(taskbar_.rect, task_list_.rect, Clock(), metrics_)
            : std::nullopt;
    gap_place_.reset();
    if (!layout) {
        // A taskbar too small for the gap gets no ticker, and its task list all the room.
        GiveRoomBack();
        return;
    }
    task_list_.rect = MoveShellWindow(task_list_.hwnd, taskbar_.hwnd, layout->task_list);
    task_list_moved_ = true;
    gap_place_ = layout->ticker;
}

std::optional<TickerPlace> SecondarySlot::Place() {
    if (!gap_place_) {
        return std::nullopt;
    }
    return TickerPlace{taskbar_.hwnd, *gap_place_};
}

bool SecondarySlot::LayoutChanged() {
    task_list_.Read();
    const bool moved = Moved();
    // No gap on a taskbar too small for one: only a change of its size can make one.
    return (gap_place_ && GapTooSmall(taskbar_.rect, task_list_.rect, GapEnd(), metrics_)) || moved;
}

void SecondarySlot::GiveRoomBack() {
    FindLateParts();  // a task list made anew, a clock that came
    if (parts() != Parts::kThere) {
        return;
    }
    task_list_.Read();
    clock_.Read();
    taskbar_.Read();
    // The room the taskbar has now: it may have grown, shrunk, turned or got a clock since.
    if (std::exchange(task_list_moved_, false)) {
        task_list_.rect =
            MoveShellWindow(task_list_.hwnd, taskbar_.hwnd,
                            RestoredSecondaryTaskList(taskbar_.rect, task_list_.rect, Clock()));
    }
}

}  // namespace tickra
