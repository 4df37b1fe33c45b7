// A secondary monitor's taskbar of Windows 10: the task list gives way so that the gap is left
// before the clock, or before the taskbar's far end when it shows none, and reaches them again
// at the end. A taskbar too small for the gap gets no ticker.
#pragma once

#include <optional>

#include "taskbar/shell_parts_win.h"

namespace tickra {

class SecondarySlot final : public SecondaryTaskbarSlot {
public:
    using SecondaryTaskbarSlot::SecondaryTaskbarSlot;
    SlotKind kind() const override { return SlotKind::kSecondary; }
    Parts parts() const override;
    void MakeRoom() override;
    std::optional<TickerPlace> Place() override;
    bool LayoutChanged() override;
    void GiveRoomBack() override;

private:
    Rect GapEnd() const override { return SecondaryTaskbarEnd(taskbar_.rect, Clock()); }

    bool task_list_moved_ = false;   // to be given its room back
    std::optional<Rect> gap_place_;  // when the taskbar has room for the gap
};

}  // namespace tickra
