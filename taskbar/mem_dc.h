// An off-screen surface over a paint device context: everything is drawn into a bitmap that
// reaches the screen in one copy, so a repaint every two seconds never flickers.
#pragma once

#include <windows.h>

namespace tickra {

class CMemDC {
public:
    // Covers the target's clip box, with the same coordinates as the target.
    explicit CMemDC(HDC target);
    // Copies the picture to the target and frees the surface.
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC dc() const { return dc_; }
    bool valid() const { return dc_ != nullptr; }
    const RECT& rect() const { return rect_; }

private:
    HDC target_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_bitmap_ = nullptr;
    RECT rect_{};
};

}  // namespace tickra
