// An off-screen surface over a paint device context: everything is drawn into a bitmap that
// reaches the screen in one copy, so a repaint every two seconds never flickers.
#pragma once

#include <windows.h>

#include <optional>

#include "base/unique_handle_win.h"

namespace tickra {

class CMemDC {
public:
    // Covers the target's clip box, with the same coordinates as the target.
    explicit CMemDC(HDC target);
    // Copies the picture to the target; the members then free the surface.
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC dc() const { return dc_.get(); }
    bool valid() const { return selected_.has_value(); }
    const RECT& rect() const { return rect_; }

private:
    HDC target_;
    RECT rect_{};
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    std::optional<SelectObjectGuard> selected_;  // out of the DC before the bitmap is freed
};

}  // namespace tickra
