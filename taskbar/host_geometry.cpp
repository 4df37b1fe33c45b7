#include "taskbar/host_geometry.h"

#include <algorithm>

namespace tickra {

namespace {
int Scale(int pixels, int dpi) {
    return (pixels * dpi + 48) / 96;
}
}  // namespace

HostMetrics ScaleHostMetrics(int dpi) {
    const HostMetrics base;
    return {Scale(base.ticker_width, dpi), Scale(base.horizontal_gap, dpi),
            Scale(base.vertical_gap, dpi), Scale(base.vertical_height, dpi),
            Scale(base.band_cap, dpi),     Scale(base.clock_room, dpi)};
}

int TickerHeight(const HostMetrics& m) {
    const int h = m.band_cap;
    return (h - h / 10) - (h / 10 + 2);
}

Rect Windows11TickerRect(const Rect& t, const Rect& n, const HostMetrics& m) {
    const int height = TickerHeight(m);
    const int top = (t.height() - height) / 2;
    // The same space before the notification area as beside a classic band.
    const int right = (n.left - t.left) - (m.horizontal_gap - m.ticker_width);
    return {right - m.ticker_width, top, right, top + height};
}

Rect StandaloneTickerRect(const Rect& work_area, int tray_top, const HostMetrics& m,
                          const std::optional<Rect>& balloon) {
    const int margin = m.horizontal_gap - m.ticker_width;
    const int bottom = std::min(work_area.bottom, tray_top) - margin;
    int right = work_area.right - margin;
    const Rect place{right - m.ticker_width, bottom - TickerHeight(m), right, bottom};
    const Rect& b = balloon.value_or(Rect{});
    if (b.left < place.right && place.left < b.right && b.top < place.bottom &&
        place.top < b.bottom) {
        right = std::max(work_area.left + m.ticker_width, b.left - margin);
    }
    return {right - m.ticker_width, place.top, right, place.bottom};
}

namespace {

// The orientation is given: the primary takes it from its ReBar, a secondary taskbar from itself.
RebarBounds Shrunken(bool vertical, const Rect& t, const Rect& b, const Rect& n,
                     const HostMetrics& m) {
    // ReBar screen coordinates serve as taskbar client coordinates along the long side: the
    // taskbar starts at the screen's edge there.
    if (!vertical) {
        return {t.left + b.left, 0, (t.left - b.left) + n.left - m.horizontal_gap, b.height()};
    }
    return {0, t.top + b.top, n.width(), (t.top - b.top) + n.top - m.vertical_gap};
}

Rect TickerIn(bool vertical, const Rect& b, const HostMetrics& m) {
    if (!vertical) {
        int h = b.height();
        int pad = 0;
        if (h > m.band_cap) {
            pad = (h - m.band_cap) / 2;
            h = m.band_cap;
        }
        return {b.right, pad + h / 10 + 2, b.right + m.ticker_width, pad + h - h / 10};
    }
    return {3, b.bottom, b.width() - 3, b.bottom + m.vertical_height};
}

// A rectangle in the taskbar's own coordinates: a secondary taskbar starts wherever its monitor
// does, and the primary's arithmetic takes the taskbar's start for the screen's edge.
Rect Local(const Rect& t, const Rect& r) {
    return {r.left - t.left, r.top - t.top, r.right - t.left, r.bottom - t.top};
}

}  // namespace

RebarBounds ShrunkenRebar(const Rect& t, const Rect& b, const Rect& n, LayoutMode& mode,
                          const HostMetrics& m) {
    mode = b.vertical() ? LayoutMode::kVertical : LayoutMode::kHorizontal;
    return Shrunken(b.vertical(), t, b, n, m);
}

Rect TickerRect(const Rect& b, const HostMetrics& m) {
    return TickerIn(b.vertical(), b, m);
}

bool GapTooSmall(const Rect& t, const Rect& b, const Rect& n, const HostMetrics& m) {
    return t.vertical() ? n.top - b.bottom < m.vertical_gap : n.left - b.right < m.horizontal_gap;
}

RebarBounds RestoreRebar(LayoutMode mode, const Rect& t, const Rect& b, const Rect& n) {
    if (mode == LayoutMode::kHorizontal) {
        return {t.left + b.left, 0, n.left - b.left, b.height()};
    }
    return {0, t.top + b.top, n.width(), n.top - b.top};
}

Rect SecondaryTaskbarEnd(const Rect& t, const std::optional<Rect>& clock) {
    if (clock && clock->width() > 0 && clock->height() > 0) {
        return *clock;
    }
    return t.vertical() ? Rect{t.left, t.bottom, t.right, t.bottom}
                        : Rect{t.right, t.top, t.right, t.bottom};
}

std::optional<SecondaryLayout> SecondaryTaskbarLayout(const Rect& t, const Rect& task_list,
                                                      const std::optional<Rect>& clock,
                                                      const HostMetrics& m) {
    // The taskbar says which way it goes: a task list squeezed narrower than tall is no vertical
    // one.
    const bool vertical = t.vertical();
    const Rect bar = Local(t, t);
    const RebarBounds list =
        Shrunken(vertical, bar, Local(t, task_list), Local(t, SecondaryTaskbarEnd(t, clock)), m);
    // The task list keeps at least a square button's room, and the ticker stays on the taskbar.
    const int room = vertical ? list.height : list.width;
    const int thickness = vertical ? bar.width() : bar.height();
    if (room < std::max(thickness, 1) || list.width <= 0 || list.height <= 0) {
        return std::nullopt;
    }
    const Rect ticker =
        TickerIn(vertical, {list.x, list.y, list.x + list.width, list.y + list.height}, m);
    if (ticker.left < 0 || ticker.top < 0 || ticker.right > bar.right ||
        ticker.bottom > bar.bottom) {
        return std::nullopt;
    }
    return SecondaryLayout{list, ticker};
}

RebarBounds RestoredSecondaryTaskList(const Rect& t, const Rect& task_list,
                                      const std::optional<Rect>& clock) {
    return RestoreRebar(t.vertical() ? LayoutMode::kVertical : LayoutMode::kHorizontal, Local(t, t),
                        Local(t, task_list), Local(t, SecondaryTaskbarEnd(t, clock)));
}

Rect Windows11SecondaryTickerRect(const Rect& t, const HostMetrics& m) {
    const Rect local{0, 0, t.width(), t.height()};
    return Windows11TickerRect(local, {local.right - m.clock_room, 0, local.right, local.bottom},
                               m);
}

ScreenPoint BackgroundSamplePoint(const Rect& ticker, const Rect& n) {
    if (n.left >= ticker.right) {
        return {(ticker.right + n.left) / 2, (ticker.top + ticker.bottom) / 2};
    }
    if (n.top >= ticker.bottom) {
        return {(ticker.left + ticker.right) / 2, (ticker.bottom + n.top) / 2};
    }
    return {ticker.left - 1, (ticker.top + ticker.bottom) / 2};
}

int OsGeneration(bool known, unsigned long platform, unsigned long major, unsigned long minor) {
    constexpr unsigned long kWindows = 1, kNt = 2;  // VER_PLATFORM_WIN32_WINDOWS, _NT
    if (!known) {
        return -1;
    }
    if (platform == kWindows) {
        return minor == 0 ? 0 : minor == 10 ? 1 : minor == 90 ? 2 : -1;
    }
    if (platform != kNt || major == 3) {
        return -1;
    }
    if (major == 4) {
        return 3;
    }
    if (major == 5) {
        return minor == 0 ? 4 : minor == 1 ? 5 : 6;
    }
    return 6;
}

}  // namespace tickra
