#include "ticker/card_position.h"

#include <algorithm>

namespace tickra {

ScreenPoint CardPosition(const Rect& ticker, int width, int height, const Rect& monitor,
                         bool vertical_taskbar) {
    constexpr int kGap = 6;
    int x = ticker.left + (ticker.width() - width) / 2;
    int y = ticker.top - kGap - height;
    if (vertical_taskbar) {
        const bool room_right = monitor.right - ticker.right >= ticker.left - monitor.left;
        x = room_right ? ticker.right + kGap : ticker.left - kGap - width;
        y = ticker.top + (ticker.height() - height) / 2;
    } else if (y < monitor.top) {
        y = ticker.bottom + kGap;
    }
    return {std::clamp(x, monitor.left, std::max(monitor.left, monitor.right - width)),
            std::clamp(y, monitor.top, std::max(monitor.top, monitor.bottom - height))};
}

}  // namespace tickra
