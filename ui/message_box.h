// Message boxes as a seam: tests see the text and answer the box without a modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace ui {

// owner, text, caption (GB2312), style → the button pressed.
using MessageBoxFunction =
    std::function<int(HWND owner, std::string_view text, std::string_view caption, UINT type)>;

// The system's message box.
MessageBoxFunction SystemMessageBox();

}  // namespace ui
