// The classic primary taskbar (Windows 7 and 10): the ReBar is shrunk to open a gap before the
// notification area, and gets its room back at the end.
#pragma once

#include <optional>

#include "taskbar/shell_parts_win.h"

namespace tickra {

class ClassicSlot final : public PrimaryTaskbarSlot {
public:
    SlotKind kind() const override { return SlotKind::kClassic; }
    void MakeRoom() override;
    std::optional<TickerPlace> Place() override;
    bool LayoutChanged() override;
    void GiveRoomBack() override;

private:
    LayoutMode mode_ = LayoutMode::kNone;
};

}  // namespace tickra
