#include "ui/custom_window.h"

#include "base/caught.h"
#include "ui/message_guard.h"
#include "ui/report.h"

#include <map>
#include <string>
#include <utility>

namespace ui {

namespace {

// The window being created on this thread: its first messages come before CreateWindowEx
// returns, some even before WM_NCCREATE.
thread_local CustomWindow* creating = nullptr;

// Registers a class once per process; returns the procedure its windows fall back to, or null
// when it cannot be registered.
WNDPROC RegisterOnce(const WindowClass& window_class, WNDPROC proc) {
    static std::map<std::wstring, WNDPROC> registered;  // used on the UI thread only
    if (const auto found = registered.find(window_class.name); found != registered.end()) {
        return found->second;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC base = DefWindowProcW;
    if (window_class.base != nullptr) {
        if (!GetClassInfoExW(nullptr, window_class.base, &wc) &&
            !GetClassInfoExW(GetModuleHandleW(L"comctl32.dll"), window_class.base, &wc)) {
            return nullptr;
        }
        base = wc.lpfnWndProc;
        wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    } else {
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = window_class.background;
    }
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = window_class.name;
    if (RegisterClassExW(&wc) == 0) {
        return nullptr;
    }
    registered.emplace(window_class.name, base);
    return base;
}

}  // namespace

CustomWindow::~CustomWindow() {
    // The derived parts are gone already: the last messages reach only this class's handler.
    Destroy();
}

bool CustomWindow::Create(const WindowClass& window_class, DWORD ex_style, DWORD style,
                          const RECT& rect, HWND parent, int id, const wchar_t* title) {
    const WNDPROC base = RegisterOnce(window_class, WindowProc);
    if (base == nullptr || hwnd() != nullptr) {
        return false;
    }
    hwnd_ = nullptr;
    base_proc_ = base;
    GuardThread();
    creating = this;
    making_ = true;
    CreateWindowExW(ex_style, window_class.name, title, style, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                    nullptr);
    creating = nullptr;
    making_ = false;
    return hwnd_ != nullptr;
}

void CustomWindow::Destroy() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);  // WM_NCDESTROY clears the handle
        hwnd_ = nullptr;       // and a window that went unseen has none to clear
    }
}

HWND CustomWindow::hwnd() const noexcept {
    return hwnd_ != nullptr && IsWindow(hwnd_) ? hwnd_ : nullptr;
}

LRESULT CustomWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefaultProc(message, wparam, lparam);
}

LRESULT CustomWindow::DefaultProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcW(base_proc_, hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK CustomWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                          LPARAM lparam) noexcept {
    auto* self = reinterpret_cast<CustomWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr && creating != nullptr) {
        self = std::exchange(creating, nullptr);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wparam, lparam);  // made without an object
    }
    // Our windows end only by their owner's hand, and what only the system sends is taken from
    // nobody else. (A window whose parent of another thread goes, with the shell, may go unseen:
    // hwnd() tells of it once it has gone.)
    const bool real = (message == WM_CREATE || message == WM_NCCREATE)     ? self->making_
                      : (message == WM_DESTROY || message == WM_NCDESTROY) ? BeingDestroyed(hwnd)
                      : message == WM_NOTIFY ? FromOwnControl(hwnd, lparam)
                                             : !SystemOnly(message);
    if (!real || message == WM_CLOSE ||
        (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE)) {
        return 0;
    }
    LRESULT result = 0;
    // No exception may cross into the system's dispatching code.
    try {
        result = self->OnMessage(message, wparam, lparam);
    } catch (...) {
        Report("window procedure, message " + std::to_string(message), tickra::CaughtText());
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        Forget(hwnd);
    }
    return result;
}

}  // namespace ui
