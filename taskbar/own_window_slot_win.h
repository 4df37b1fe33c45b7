// Under Wine, whose shell has no taskbar bands, the ticker gets a small top-most window of its own
// at the bottom right of the work area, above Wine's tray bar, and out of the way of a balloon.
#pragma once

#include <windows.h>

#include <optional>

#include "taskbar/taskbar_slot_win.h"
#include "ui/custom_window.h"

namespace tickra {

class OwnWindowSlot final : public TaskbarSlot {
public:
    static constexpr wchar_t kClassName[] = L"TickraTickerWindow";

    SlotKind kind() const override { return SlotKind::kStandalone; }
    HWND taskbar() const override { return nullptr; }
    HWND parent() const override { return window_.hwnd(); }
    void FindParts() override {}
    Parts parts() const override { return Parts::kThere; }
    // Makes the window, once.
    void MakeRoom() override;
    std::optional<TickerPlace> Place() override;
    // The work area, the tray bar or a balloon moved since the window was placed.
    bool LayoutChanged() override;
    Backdrop BackdropOf(const Rect&) override { return {true, std::nullopt}; }
    // The window moves aside as soon as the balloon shows, and back at the next check after it
    // has gone.
    void WatchForBalloon() override;

private:
    // It looks at its place on a timer of its own: Wine's tray bar comes with the first icon,
    // from another thread, and may move when the display changes.
    class Window : public ui::CustomWindow {
    public:
        explicit Window(OwnWindowSlot& slot) : slot_(slot) {}

    protected:
        LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    private:
        OwnWindowSlot& slot_;
    };

    static constexpr UINT_PTR kPlaceTimerId = 1;
    static constexpr UINT kPlacePollMs = 250;
    static constexpr UINT_PTR kBalloonTimerId = 2;
    static constexpr UINT kBalloonPollMs = 100;
    static constexpr int kBalloonPolls = 30;

    void Check() const;

    Rect last_work_area_;
    int last_tray_top_ = 0;
    std::optional<Rect> last_balloon_;
    int balloon_polls_ = 0;
    Window window_{*this};
};

}  // namespace tickra
