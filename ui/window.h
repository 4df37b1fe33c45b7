// A window the program does not own: mostly one-line forwards to Win32, with GB2312 text.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

class Window {
public:
    Window(HWND hwnd = nullptr) : hwnd_(hwnd) {}

    HWND hwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    std::string Text() const;
    void SetText(std::string_view text) const;
    void Show(int command) const { ShowWindow(hwnd_, command); }
    bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    Window Item(int id) const { return Window(GetDlgItem(hwnd_, id)); }
    LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
        return SendMessageW(hwnd_, message, wparam, lparam);
    }

protected:
    HWND hwnd_;
};

// A string resource of this module, as GB2312; empty when it does not exist.
std::string LoadResourceString(UINT id);

// Dots per inch of the screen the program was started on (96 at 100 % scaling).
int ScreenDpi();

// Message box with GB2312 texts.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

}  // namespace ui
