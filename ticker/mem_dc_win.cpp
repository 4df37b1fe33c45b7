#include "ticker/mem_dc_win.h"

namespace tickra {

CMemDC::CMemDC(HDC target) : target_(target) {
    if (target_ == nullptr) {
        return;
    }
    GetClipBox(target_, &rect_);
    dc_.reset(CreateCompatibleDC(target_));
    if (dc_) {
        bitmap_.reset(
            CreateCompatibleBitmap(target_, rect_.right - rect_.left, rect_.bottom - rect_.top));
    }
    if (bitmap_) {
        selected_.emplace(dc_.get(), bitmap_.get());
        SetWindowOrgEx(dc_.get(), rect_.left, rect_.top, nullptr);
    }
}

CMemDC::~CMemDC() {
    if (valid()) {
        BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
               dc_.get(), rect_.left, rect_.top, SRCCOPY);
    }
}

}  // namespace tickra
