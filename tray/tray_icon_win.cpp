#include "tray/tray_icon_win.h"

#include <algorithm>

#include "base/code_page_win.h"
#include "base/mbcs.h"
#include "base/unique_handle_win.h"
#include "ui/window.h"

namespace tickra {

namespace {

// Copies GB2312 text, cut at max_bytes on a character boundary, into a wide field.
template <size_t N>
void CopyField(wchar_t (&field)[N], std::string_view text, size_t max_bytes) {
    const std::wstring wide = Widen(CutAtCharBoundary(text, max_bytes));
    const size_t count = std::min(wide.size(), N - 1);
    std::copy_n(wide.data(), count, field);
    field[count] = L'\0';
}

constexpr size_t kTipBytes = 127;
constexpr size_t kBalloonTextBytes = 255;
constexpr size_t kBalloonTitleBytes = 63;

}  // namespace

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

CTrayIcon::CTrayIcon(UINT id, ShellThread& shell) : shell_(shell) {
    data_.cbSize = sizeof(data_);
    data_.uID = id;
    CopyField(data_.szTip, ui::LoadResourceString(id), kTipBytes);
    TaskbarCreatedMessage();
}

CTrayIcon::~CTrayIcon() {
    SetIcon(nullptr, nullptr);
    window_hook_.HookWindow(nullptr);
    parent_hook_.HookWindow(nullptr);
}

void CTrayIcon::SetNotificationWnd(HWND hwnd, UINT callback_message) {
    data_.hWnd = hwnd;
    data_.uCallbackMessage = callback_message;
    if (hwnd == nullptr) {
        window_hook_.HookWindow(nullptr);
        return;
    }
    window_hook_.HookWindow(hwnd);
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (top != nullptr && top != hwnd) {
        parent_hook_.HookWindow(top);
    }
}

UINT CTrayIcon::TipAndMessageFlags() const {
    return (data_.szTip[0] != L'\0' ? NIF_TIP : 0) |
           (data_.uCallbackMessage != 0 && data_.hWnd != nullptr ? NIF_MESSAGE : 0);
}

void CTrayIcon::SetIcon(HICON icon, const char* tip) {
    DWORD operation = NIM_DELETE;
    bool tip_only = false;
    data_.uFlags = 0;
    if (icon != nullptr) {
        operation = IsShown() ? NIM_MODIFY : NIM_ADD;
        tip_only = operation == NIM_MODIFY && icon == data_.hIcon && tip != nullptr;
        data_.hIcon = icon;
        data_.uFlags = NIF_ICON;
    } else if (!IsShown()) {
        return;
    }
    if (tip != nullptr) {
        CopyField(data_.szTip, tip, kTipBytes);
    }
    data_.uFlags |= TipAndMessageFlags();
    if (tip_only) {
        shell_.SetTip(data_);  // a newer one may replace it while it waits
    } else {
        shell_.NotifyIcon(operation, data_);
    }
    if (operation == NIM_DELETE) {
        data_.hIcon = nullptr;
    }
}

void CTrayIcon::ShowBalloon(std::string_view title, std::string_view text, UINT timeout_ms,
                            DWORD icon_kind) {
    if (!IsShown()) {
        return;
    }
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    balloon.uTimeout = timeout_ms;
    balloon.dwInfoFlags = icon_kind;
    CopyField(balloon.szInfo, text, kBalloonTextBytes);
    CopyField(balloon.szInfoTitle, title, kBalloonTitleBytes);
    shell_.NotifyIcon(NIM_MODIFY, balloon);
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM id, LPARAM event) {
    if (id != data_.uID || (event != WM_RBUTTONUP && event != WM_LBUTTONDBLCLK)) {
        return 0;
    }
    const UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(data_.uID)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (popup == nullptr) {
        return 0;
    }
    if (event == WM_RBUTTONUP) {
        SetMenuDefaultItem(popup, 0, TRUE);
        POINT cursor;
        GetCursorPos(&cursor);
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(data_.hWnd);
        TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, data_.hWnd, nullptr);
        PostMessageW(data_.hWnd, WM_NULL, 0, 0);
    } else {
        SendMessageW(data_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
    }
    return 1;
}

LRESULT CTrayIcon::OnTaskbarCreated(WPARAM, LPARAM) {
    if (IsShown()) {
        data_.uFlags = NIF_ICON | TipAndMessageFlags();
        shell_.NotifyIcon(NIM_ADD, data_);
    }
    return 0;
}

LRESULT CTrayIcon::CTrayHook::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == owner_->data_.uCallbackMessage && hooked_window() == owner_->data_.hWnd) {
        owner_->OnTrayNotification(wparam, lparam);
    } else if (message == TaskbarCreatedMessage()) {
        owner_->OnTaskbarCreated(wparam, lparam);
    }
    return Default(message, wparam, lparam);
}

}  // namespace tickra
