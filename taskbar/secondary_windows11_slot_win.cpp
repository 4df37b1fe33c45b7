#include "taskbar/secondary_windows11_slot_win.h"

namespace tickra {

std::optional<TickerPlace> SecondaryWindows11Slot::Place() {
    taskbar_.Read();
    return TickerPlace{taskbar_.hwnd, Windows11SecondaryTickerRect(taskbar_.rect, metrics_)};
}

Rect SecondaryWindows11Slot::GapEnd() const {
    const Rect& t = taskbar_.rect;
    return {t.right - metrics_.clock_room, t.top, t.right, t.bottom};
}

}  // namespace tickra
