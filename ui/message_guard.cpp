#include "ui/message_guard.h"

#include "res/messages.h"

namespace ui {

namespace {

// Messages whose lParam (or wParam) points into the receiver's memory when the system sends them.
bool CarriesPointer(UINT message) {
    switch (message) {
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETMINMAXINFO:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_DELETEITEM:
        case WM_COMPAREITEM:
        case WM_WINDOWPOSCHANGING:
        case WM_WINDOWPOSCHANGED:
        case WM_COPYDATA:
        case WM_HELP:
        case WM_STYLECHANGING:
        case WM_STYLECHANGED:
        case WM_NCCALCSIZE:
        case WM_GETDLGCODE:
        case WM_SIZING:
        case WM_MOVING:
        case WM_MENUGETOBJECT:
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK FilterPosted(int code, WPARAM removed, LPARAM lparam) {
    auto* message = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && message != nullptr && message->hwnd != nullptr &&
        GetWindowThreadProcessId(message->hwnd, nullptr) == GetCurrentThreadId()) {
        const UINT m = message->message;
        // Control messages may carry pointers too; the only one others post us is the tray's.
        const bool control_message =
            m >= WM_USER && m < WM_APP && m != tickra::kTrayCallbackMessage;
        // A quit that names a window was never asked for by this program.
        if (OwnThreadOnly(m) || CarriesPointer(m) || control_message || m == WM_QUIT) {
            message->message = WM_NULL;
            message->wParam = 0;
            message->lParam = 0;
        }
    }
    return CallNextHookEx(nullptr, code, removed, lparam);
}

}  // namespace

bool OwnThreadOnly(UINT message) {
    switch (message) {
        case WM_CREATE:
        case WM_NCCREATE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_INITDIALOG:
        case WM_NOTIFY:
            return true;
        default:
            return false;
    }
}

bool SentFromOtherThread() {
    return (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
}

void GuardPostedMessages() {
    thread_local HHOOK hook = nullptr;
    if (hook == nullptr) {
        hook = SetWindowsHookExW(WH_GETMESSAGE, FilterPosted, nullptr, GetCurrentThreadId());
    }
}

}  // namespace ui
