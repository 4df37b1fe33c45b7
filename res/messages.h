// Private messages and timers of the main dialog.
#pragma once

#include <windows.h>

namespace tickra {

// Tells a dialog to run the work waiting in its mailbox; it carries nothing.
inline constexpr UINT kMailboxMessage = WM_APP + 1;
// The tray icon's callback message.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;

inline constexpr UINT_PTR kRefreshTimerId = 1000;
// A cancelled upgrade dialog is freed a little after it was hidden, by this one-shot timer.
inline constexpr UINT_PTR kUpgradeReleaseTimerId = 1001;

}  // namespace tickra
