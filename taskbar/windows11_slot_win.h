// The primary taskbar of Windows 11, whose ReBar is only a stand-in: the ticker sits left of the
// notification area, vertically centred, and nothing is moved.
#pragma once

#include <optional>

#include "taskbar/shell_parts_win.h"

namespace tickra {

class Windows11Slot final : public PrimaryTaskbarSlot {
public:
    SlotKind kind() const override { return SlotKind::kWindows11; }
    std::optional<TickerPlace> Place() override;
    bool LayoutChanged() override { return Moved(); }
};

}  // namespace tickra
