#include "chart/chart_picture_win.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>

#include "base/com_ptr_win.h"

namespace tickra {

ChartDecoder::~ChartDecoder() {
    if (token_ != 0) {
        Gdiplus::GdiplusShutdown(token_);
    }
}

std::optional<ChartPicture> ChartDecoder::Decode(std::string_view bytes) {
    // The header is read first: one that claims 32768 x 32768 would take gigabytes once decoded.
    const std::optional<Size> size = PngSize(bytes);
    if (!size || !ChartPictureFits(*size)) {
        return std::nullopt;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (token_ == 0 && !failed_) {
        Gdiplus::GdiplusStartupInput input;
        failed_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok;
    }
    if (failed_) {
        return std::nullopt;
    }
    const ComPtr<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                   static_cast<UINT>(bytes.size())));
    if (!stream) {
        return std::nullopt;
    }
    Gdiplus::Bitmap decoded(stream.get());
    const UINT width = decoded.GetWidth();
    const UINT height = decoded.GetHeight();
    // The decoder must see the picture the header announced, within the bounds checked.
    if (decoded.GetLastStatus() != Gdiplus::Ok || width != static_cast<UINT>(size->width) ||
        height != static_cast<UINT>(size->height)) {
        return std::nullopt;
    }
    Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data{};
    if (decoded.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
        Gdiplus::Ok) {
        return std::nullopt;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ChartPicture picture{
        UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)), *size,
        Gdiplus::IsAlphaPixelFormat(decoded.GetPixelFormat()) != FALSE};
    if (picture.bitmap) {
        const size_t row_bytes = size_t{width} * 4;
        for (size_t row = 0; row < height; ++row) {
            std::memcpy(
                static_cast<char*>(bits) + row * row_bytes,
                static_cast<const char*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride,
                row_bytes);
        }
    }
    decoded.UnlockBits(&data);
    if (!picture.bitmap) {
        return std::nullopt;
    }
    return picture;
}

}  // namespace tickra
