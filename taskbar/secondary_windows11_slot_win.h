// A secondary monitor's taskbar of Windows 11: the ticker sits before the clock's room at the far
// end, vertically centred, and nothing is moved.
#pragma once

#include <optional>

#include "taskbar/shell_parts_win.h"

namespace tickra {

class SecondaryWindows11Slot final : public SecondaryTaskbarSlot {
public:
    using SecondaryTaskbarSlot::SecondaryTaskbarSlot;
    SlotKind kind() const override { return SlotKind::kSecondaryWindows11; }
    std::optional<TickerPlace> Place() override;
    bool LayoutChanged() override { return Moved(); }

private:
    // The clock lives inside the XAML, out of reach: its room is assumed.
    Rect GapEnd() const override;
};

}  // namespace tickra
