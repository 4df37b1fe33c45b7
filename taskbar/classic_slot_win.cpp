#include "taskbar/classic_slot_win.h"

namespace tickra {

void ClassicSlot::MakeRoom() {
    taskbar_.Read();
    rebar_.Read();
    notify_.Read();
    rebar_.rect =
        MoveShellWindow(rebar_.hwnd, taskbar_.hwnd,
                        ShrunkenRebar(taskbar_.rect, rebar_.rect, notify_.rect, mode_, metrics_));
}

std::optional<TickerPlace> ClassicSlot::Place() {
    // Where MakeRoom sent the ReBar, which may not be there yet.
    return TickerPlace{taskbar_.hwnd, TickerRect(rebar_.rect, metrics_)};
}

bool ClassicSlot::LayoutChanged() {
    rebar_.Read();
    const bool moved = Moved();
    return GapTooSmall(taskbar_.rect, rebar_.rect, notify_.rect, metrics_) || moved;
}

void ClassicSlot::GiveRoomBack() {
    if (parts() != Parts::kThere) {
        return;
    }
    taskbar_.Read();
    rebar_.Read();
    notify_.Read();
    rebar_.rect = MoveShellWindow(rebar_.hwnd, taskbar_.hwnd,
                                  RestoreRebar(mode_, taskbar_.rect, rebar_.rect, notify_.rect));
}

}  // namespace tickra
