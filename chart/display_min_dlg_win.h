// The intraday chart window: a small tool window above the ticker showing the chart image of the
// stock the ticker shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/unique_handle_win.h"
#include "chart/chart_picture_win.h"
#include "chart/chart_geometry.h"
#include "ui/dialog.h"

namespace tickra {

class CDisplayMinDlg : public ui::Dialog {
public:
    // ticker: the window this one is placed above; on_close: told when the user closes this one.
    CDisplayMinDlg(HWND ticker, std::function<void()> on_close);

    // Shows a decoded picture, or none.
    void ShowPicture(std::optional<ChartPicture> picture);
    // Moves the window above this ticker, or below it on a taskbar at the top of its monitor.
    void PlaceBeside(HWND ticker);
    bool has_image() const { return picture_.has_value(); }
    Size image_size() const { return picture_ ? picture_->size : Size{}; }

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    // Hides the window, which stays for the next click, and tells the owner.
    void Close();
    void Paint();

    HWND ticker_;
    std::function<void()> on_close_;
    std::optional<ChartPicture> picture_;
};

}  // namespace tickra
