// Any program can post to our windows, and send to them from another thread. Messages that the
// system only ever sends a window from its own thread (creation, destruction, notifications from
// child controls) and messages whose lParam is a pointer are taken from nobody else: a forged one
// would end a window, or be read as a pointer into our memory.
#pragma once

#include <windows.h>

namespace ui {

// Installs, once per thread, what the checks below need: posted messages of those kinds, to a
// window of this thread, become WM_NULL before any message loop sees them (ours, a message box's,
// a menu's), and every window the thread destroys is noted. The windows of our own classes call
// it when they are made.
void GuardThread();

// Creation, destruction or a notification, which only the system sends.
bool SystemOnly(UINT message);

// The window, or a parent or owner of it, is being destroyed on this thread: its WM_DESTROY and
// WM_NCDESTROY are real. Forget is called once its WM_NCDESTROY has been handled.
bool BeingDestroyed(HWND hwnd);
void Forget(HWND hwnd);

// A WM_NOTIFY's lParam is a notification from a control of this thread inside the window.
bool FromOwnControl(HWND window, LPARAM lparam);

}  // namespace ui
