#include "chart/chart_picture_win.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>

#include "base/com_ptr_win.h"
#include "base/library_win.h"

namespace tickra {

namespace flat = Gdiplus::DllExports;

// The few GDI+ functions a decode needs, from the library loaded at the first picture: linked
// in, it would be mapped at start by every run, most of which show no chart.
struct ChartDecoder::Library {
    tickra::Library gdiplus{L"gdiplus.dll"};
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
    decltype(&flat::GdipCreateBitmapFromStream) from_stream = nullptr;
    decltype(&flat::GdipGetImageWidth) width = nullptr;
    decltype(&flat::GdipGetImageHeight) height = nullptr;
    decltype(&flat::GdipGetImagePixelFormat) format = nullptr;
    decltype(&flat::GdipBitmapLockBits) lock = nullptr;
    decltype(&flat::GdipBitmapUnlockBits) unlock = nullptr;
    decltype(&flat::GdipDisposeImage) dispose = nullptr;
    const bool complete =
        gdiplus.Load(startup, "GdiplusStartup") && gdiplus.Load(shutdown, "GdiplusShutdown") &&
        gdiplus.Load(from_stream, "GdipCreateBitmapFromStream") &&
        gdiplus.Load(width, "GdipGetImageWidth") && gdiplus.Load(height, "GdipGetImageHeight") &&
        gdiplus.Load(format, "GdipGetImagePixelFormat") &&
        gdiplus.Load(lock, "GdipBitmapLockBits") && gdiplus.Load(unlock, "GdipBitmapUnlockBits") &&
        gdiplus.Load(dispose, "GdipDisposeImage");
};

ChartDecoder::ChartDecoder() = default;

ChartDecoder::~ChartDecoder() {
    if (token_ != 0) {
        library_->shutdown(token_);
    }
}

bool ChartDecoder::Start() {
    if (token_ == 0 && !failed_) {
        library_ = std::make_unique<Library>();
        Gdiplus::GdiplusStartupInput input;
        failed_ = !library_->complete || library_->startup(&token_, &input, nullptr) != Gdiplus::Ok;
    }
    return !failed_;
}

std::optional<ChartPicture> ChartDecoder::Decode(std::string_view bytes) {
    // The header is read first: one that claims 32768 x 32768 would take gigabytes once decoded.
    const std::optional<Size> size = PngSize(bytes);
    if (!size || !ChartPictureFits(*size)) {
        return std::nullopt;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!Start()) {
        return std::nullopt;
    }
    const ComPtr<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                   static_cast<UINT>(bytes.size())));
    if (!stream) {
        return std::nullopt;
    }
    const Library& gdiplus = *library_;
    Gdiplus::GpBitmap* decoded = nullptr;
    if (gdiplus.from_stream(stream.get(), &decoded) != Gdiplus::Ok || decoded == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<Gdiplus::GpBitmap, decltype(gdiplus.dispose)> owner(decoded,
                                                                              gdiplus.dispose);
    UINT width = 0, height = 0;
    Gdiplus::PixelFormat format = 0;
    // The decoder must see the picture the header announced, within the bounds checked.
    if (gdiplus.width(decoded, &width) != Gdiplus::Ok ||
        gdiplus.height(decoded, &height) != Gdiplus::Ok ||
        gdiplus.format(decoded, &format) != Gdiplus::Ok ||
        width != static_cast<UINT>(size->width) || height != static_cast<UINT>(size->height)) {
        return std::nullopt;
    }
    const Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data{};
    if (gdiplus.lock(decoded, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
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
        Gdiplus::IsAlphaPixelFormat(format) != FALSE};
    if (picture.bitmap) {
        const size_t row_bytes = size_t{width} * 4;
        for (size_t row = 0; row < height; ++row) {
            std::memcpy(
                static_cast<char*>(bits) + row * row_bytes,
                static_cast<const char*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride,
                row_bytes);
        }
    }
    gdiplus.unlock(decoded, &data);
    if (!picture.bitmap) {
        return std::nullopt;
    }
    return picture;
}

}  // namespace tickra
