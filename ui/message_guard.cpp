#include "ui/message_guard.h"

#include <algorithm>
#include <vector>

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

bool OwnThread(HWND hwnd) {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

// Windows this thread has begun to destroy and whose end has not been handled yet.
thread_local std::vector<HWND> destroying;

LRESULT CALLBACK FilterPosted(int code, WPARAM removed, LPARAM lparam) {
    auto* message = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && message != nullptr && message->hwnd != nullptr &&
        OwnThread(message->hwnd)) {
        const UINT m = message->message;
        // Control messages may carry pointers too; the only one others post us is the tray's.
        const bool control_message =
            m >= WM_USER && m < WM_APP && m != tickra::kTrayCallbackMessage;
        // A quit that names a window was never asked for by this program.
        if (SystemOnly(m) || CarriesPointer(m) || control_message || m == WM_QUIT) {
            message->message = WM_NULL;
            message->wParam = 0;
            message->lParam = 0;
        }
    }
    return CallNextHookEx(nullptr, code, removed, lparam);
}

LRESULT CALLBACK NoteDestruction(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_DESTROYWND) {
        // Entries of windows whose end nobody handled (the system's own) go with the next one.
        std::erase_if(destroying, [](HWND hwnd) { return !IsWindow(hwnd); });
        destroying.push_back(reinterpret_cast<HWND>(wparam));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

bool SystemOnly(UINT message) {
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

bool BeingDestroyed(HWND hwnd) {
    // Children and owned windows go with the window DestroyWindow was called for.
    for (HWND w = hwnd; w != nullptr;
         w = GetParent(w) != nullptr ? GetParent(w) : GetWindow(w, GW_OWNER)) {
        if (std::find(destroying.begin(), destroying.end(), w) != destroying.end()) {
            return true;
        }
    }
    return false;
}

void Forget(HWND hwnd) {
    std::erase(destroying, hwnd);
}

bool FromOwnControl(HWND window, LPARAM lparam) {
    // Only readable memory of ours is looked at: a pointer from another process means nothing here.
    MEMORY_BASIC_INFORMATION memory{};
    const auto* address = reinterpret_cast<const BYTE*>(lparam);
    if (address == nullptr || VirtualQuery(address, &memory, sizeof(memory)) == 0 ||
        memory.State != MEM_COMMIT || (memory.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0 ||
        address + sizeof(NMHDR) >
            static_cast<const BYTE*>(memory.BaseAddress) + memory.RegionSize) {
        return false;
    }
    const auto* notify = reinterpret_cast<const NMHDR*>(lparam);
    return notify->hwndFrom != nullptr && IsChild(window, notify->hwndFrom) &&
           OwnThread(notify->hwndFrom);
}

void GuardThread() {
    thread_local bool guarded = false;
    if (!guarded) {
        SetWindowsHookExW(WH_GETMESSAGE, FilterPosted, nullptr, GetCurrentThreadId());
        SetWindowsHookExW(WH_CBT, NoteDestruction, nullptr, GetCurrentThreadId());
        guarded = true;
    }
}

}  // namespace ui
