#include "chart/display_min_dlg_win.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>

#include "base/com_ptr_win.h"
#include "base/file_win.h"
#include "base/unique_handle_win.h"
#include "res/resource.h"

namespace tickra {

CDisplayMinDlg::CDisplayMinDlg(HWND ticker, std::function<void()> on_close)
    : ui::Dialog(IDD_DISPLAYMIN), ticker_(ticker), on_close_(std::move(on_close)) {}

CDisplayMinDlg::~CDisplayMinDlg() {
    Destroy();
    ReleaseImage();
    if (gdiplus_token_ != 0) {
        Gdiplus::GdiplusShutdown(gdiplus_token_);
    }
}

bool CDisplayMinDlg::OnInitDialog() {
    RECT ticker;
    RECT own;
    if (ticker_ != nullptr && GetWindowRect(ticker_, &ticker) && GetWindowRect(hwnd(), &own)) {
        const Point at = ChartWindowPosition(ticker.left, ticker.top, ticker.right,
                                             {own.right - own.left, own.bottom - own.top});
        SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    return true;
}

void CDisplayMinDlg::ReleaseImage() {
    image_.reset();
    image_size_ = {};
    image_has_alpha_ = false;
}

bool CDisplayMinDlg::LoadImage(const std::wstring& path) {
    // Decoded from a copy in memory: GDI+ would keep the file locked, and the next tick
    // overwrites it.
    const std::string bytes = ReadFileBytes(path, 16u << 20);
    const std::optional<Size> size = PngSize(bytes);
    if (size && !ChartPictureFits(*size)) {
        return false;  // too large to decode: the window keeps the picture it has
    }
    ReleaseImage();
    if (!size) {
        return false;  // no picture: an error page, an empty answer
    }
    // The image library starts with the first chart, not with the program: most runs show none.
    if (gdiplus_token_ == 0) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr) != Gdiplus::Ok) {
            gdiplus_token_ = 0;
            return false;  // images then simply fail to load
        }
    }
    const ComPtr<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                   static_cast<UINT>(bytes.size())));
    if (!stream) {
        return false;
    }
    bool loaded = false;
    {
        Gdiplus::Bitmap decoded(stream.get());
        const UINT width = decoded.GetWidth();
        const UINT height = decoded.GetHeight();
        Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        Gdiplus::BitmapData data{};
        // The decoder must see the picture the header announced, within the bounds checked.
        if (decoded.GetLastStatus() == Gdiplus::Ok && width == static_cast<UINT>(size->width) &&
            height == static_cast<UINT>(size->height) &&
            decoded.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) ==
                Gdiplus::Ok) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(info.bmiHeader);
            info.bmiHeader.biWidth = static_cast<LONG>(width);
            info.bmiHeader.biHeight = -static_cast<LONG>(height);
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            image_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            if (image_) {
                const size_t row_bytes = size_t{width} * 4;  // at most 4096 * 4
                for (size_t row = 0; row < height; ++row) {
                    std::memcpy(static_cast<char*>(bits) + row * row_bytes,
                                static_cast<const char*>(data.Scan0) +
                                    static_cast<ptrdiff_t>(row) * data.Stride,
                                row_bytes);
                }
                image_size_ = {static_cast<int>(width), static_cast<int>(height)};
                image_has_alpha_ = Gdiplus::IsAlphaPixelFormat(decoded.GetPixelFormat()) != FALSE;
                loaded = true;
            }
            decoded.UnlockBits(&data);
        }
    }
    if (loaded && hwnd() != nullptr) {
        InvalidateRect(hwnd(), nullptr, TRUE);
    }
    return loaded;
}

std::optional<LRESULT> CDisplayMinDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd(), nullptr, TRUE);  // re-scale to the new size
            return std::nullopt;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_DESTROY:
            ReleaseImage();
            return std::nullopt;
        default:
            return ui::Dialog::OnMessage(message, wparam, lparam);
    }
}

bool CDisplayMinDlg::OnCommand(int id, int, HWND) {
    // Return and Escape arrive as OK and Cancel; they close the window as its close box does.
    if (id == IDOK || id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}

void CDisplayMinDlg::Close() {
    ShowWindow(hwnd(), SW_HIDE);
    if (on_close_) {
        on_close_();
    }
}

void CDisplayMinDlg::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    if (image_) {
        RECT client;
        GetClientRect(hwnd(), &client);
        const Size drawn = ChartDrawSize({client.right, client.bottom}, image_size_);
        const UniqueMemoryDc source(CreateCompatibleDC(dc));
        const SelectObjectGuard selected(source.get(), image_.get());
        if (image_has_alpha_) {
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, 0, 0, drawn.width, drawn.height, source.get(), 0, 0, image_size_.width,
                       image_size_.height, blend);
        } else {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, drawn.width, drawn.height, source.get(), 0, 0, image_size_.width,
                       image_size_.height, SRCCOPY);
        }
    }
    EndPaint(hwnd(), &paint);
}

}  // namespace tickra
