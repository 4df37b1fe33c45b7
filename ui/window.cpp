#include "ui/window.h"

#include "base/code_page_win.h"

namespace ui {

std::string Window::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return tickra::Narrow(text);
}

void Window::SetText(std::string_view text) const {
    SetWindowTextW(hwnd_, tickra::Widen(text).c_str());
}

std::string LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length the function hands out the read-only resource itself.
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? tickra::Narrow(std::wstring_view(text, static_cast<size_t>(length)))
                      : std::string();
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
    return MessageBoxW(owner, tickra::Widen(text).c_str(), tickra::Widen(caption).c_str(), type);
}

}  // namespace ui
