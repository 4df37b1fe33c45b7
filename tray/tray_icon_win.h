// The notification-area icon: its menu gives Settings and Exit, it shows balloons, and it comes
// back when the shell restarts. The shell is called on the shell thread, never waited for.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "tray/shell_thread_win.h"
#include "tray/subclass_wnd_win.h"

namespace tickra {

class CTrayIcon {
public:
    // The icon id; also the id of the pop-up menu resource. shell: where the calls are made.
    CTrayIcon(UINT id, ShellThread& shell);
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The window that gets the callback message and the menu's commands; null to let go.
    void SetNotificationWnd(HWND hwnd, UINT callback_message);
    // Adds the icon, changes it, or removes it when icon is null. tip: GB2312, null keeps it.
    void SetIcon(HICON icon, const char* tip);
    // Balloon texts in GB2312, cut to the 255 and 63 bytes the shell keeps. Nothing without an
    // icon.
    void ShowBalloon(std::string_view title, std::string_view text, UINT timeout_ms,
                     DWORD icon_kind);
    // The icon is meant to be shown; the shell may not have taken it yet (a shell that starts
    // later is given it when it announces itself).
    bool IsShown() const { return data_.hIcon != nullptr; }

    // Right-button release opens the menu; a double click runs its default command (Settings).
    virtual LRESULT OnTrayNotification(WPARAM id, LPARAM event);
    // The shell restarted: the icon is added again if it was shown.
    virtual LRESULT OnTaskbarCreated(WPARAM wparam, LPARAM lparam);

    class CTrayHook : public CSubclassWnd {
    public:
        explicit CTrayHook(CTrayIcon* owner) : owner_(owner) {}

    protected:
        LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

    private:
        CTrayIcon* owner_;
    };

private:
    // NIF_TIP when there is a tip, NIF_MESSAGE when a callback message and window are set.
    UINT TipAndMessageFlags() const;

    ShellThread& shell_;
    NOTIFYICONDATAW data_{};
    CTrayHook window_hook_{this};
    CTrayHook parent_hook_{this};
};

// The shell's broadcast after the taskbar was (re)created.
UINT TaskbarCreatedMessage();

}  // namespace tickra
