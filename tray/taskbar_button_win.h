// The taskbar button of a window that the shell would not give one by itself.
#pragma once

#include <windows.h>

namespace tickra {

// Adds or removes the window's taskbar button; false when the shell did not. Without the taskbar
// list object (a shell that lacks it) nothing happens; the window is still shown or hidden by its
// owner.
bool SetTaskbarButton(HWND hwnd, bool add);

}  // namespace tickra
