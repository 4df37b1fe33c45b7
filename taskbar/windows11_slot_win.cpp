#include "taskbar/windows11_slot_win.h"

namespace tickra {

std::optional<TickerPlace> Windows11Slot::Place() {
    taskbar_.Read();
    notify_.Read();
    return TickerPlace{taskbar_.hwnd, Windows11TickerRect(taskbar_.rect, notify_.rect, metrics_)};
}

}  // namespace tickra
