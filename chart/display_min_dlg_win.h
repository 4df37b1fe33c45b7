// The intraday chart window: a small tool window above the ticker showing the chart image of the
// stock the ticker shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/unique_handle_win.h"
#include "chart/chart_url.h"
#include "ui/dialog.h"

namespace tickra {

class CDisplayMinDlg : public ui::Dialog {
public:
    // ticker: the window this one is placed above; on_close: told when the user closes this one.
    CDisplayMinDlg(HWND ticker, std::function<void()> on_close);
    ~CDisplayMinDlg() override;

    // Decodes an image file; on failure the window keeps no image and shows an empty client area.
    bool LoadImage(const std::wstring& path);
    bool has_image() const { return static_cast<bool>(image_); }
    Size image_size() const { return image_size_; }

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    // Hides the window, which stays for the next click, and tells the owner.
    void Close();
    void ReleaseImage();
    void Paint();

    HWND ticker_;
    std::function<void()> on_close_;
    ULONG_PTR gdiplus_token_ = 0;
    UniqueBitmap image_;  // 32-bit premultiplied, top-down
    Size image_size_;
    bool image_has_alpha_ = false;
};

}  // namespace tickra
