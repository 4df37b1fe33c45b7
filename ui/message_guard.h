// Any program can post to our windows, and send to them from another thread. Messages that the
// system only ever sends from a window's own thread (creation and destruction, notifications from
// child controls) and messages whose lParam is a pointer are taken from nobody else: a forged
// one would end a window, or be read as a pointer into our memory.
#pragma once

#include <windows.h>

namespace ui {

// Turns such messages, when posted to a window of this thread, into WM_NULL before any message
// loop of the thread sees them (ours, a message box's, a menu's). Installed once per thread; the
// windows of our own classes call it when they are made.
void GuardPostedMessages();

// The message is one the system sends a window only from the window's own thread.
bool OwnThreadOnly(UINT message);

// True when the message being handled was sent from another thread.
bool SentFromOtherThread();

}  // namespace ui
