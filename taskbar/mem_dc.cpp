#include "taskbar/mem_dc.h"

namespace tickra {

CMemDC::CMemDC(HDC target) : target_(target) {
    if (target_ == nullptr) {
        return;
    }
    GetClipBox(target_, &rect_);
    dc_ = CreateCompatibleDC(target_);
    if (dc_ == nullptr) {
        return;
    }
    bitmap_ = CreateCompatibleBitmap(target_, rect_.right - rect_.left, rect_.bottom - rect_.top);
    if (bitmap_ == nullptr) {
        DeleteDC(dc_);
        dc_ = nullptr;
        return;
    }
    previous_bitmap_ = SelectObject(dc_, bitmap_);
    SetWindowOrgEx(dc_, rect_.left, rect_.top, nullptr);
}

CMemDC::~CMemDC() {
    if (dc_ == nullptr) {
        return;
    }
    BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, dc_,
           rect_.left, rect_.top, SRCCOPY);
    // The bitmap must be out of the DC before it can be deleted.
    SelectObject(dc_, previous_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

}  // namespace tickra
