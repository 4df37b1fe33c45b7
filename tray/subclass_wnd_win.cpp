#include "tray/subclass_wnd_win.h"

#include <string>

#include "base/caught.h"
#include "ui/report.h"

namespace tickra {

CSubclassWndMap& CSubclassWndMap::Instance() {
    static CSubclassWndMap map;
    return map;
}

CSubclassWnd* CSubclassWndMap::Lookup(HWND hwnd) const {
    const auto found = first_.find(hwnd);
    return found == first_.end() ? nullptr : found->second;
}

void CSubclassWndMap::Add(HWND hwnd, CSubclassWnd* hook) {
    hook->next_ = Lookup(hwnd);
    if (hook->next_ == nullptr) {
        hook->saved_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookWndProc)));
    } else {
        hook->saved_proc_ = hook->next_->saved_proc_;
    }
    first_[hwnd] = hook;
}

void CSubclassWndMap::Remove(CSubclassWnd* hook) {
    CSubclassWnd* first = Lookup(hook->hwnd_);
    if (first == hook) {
        if (hook->next_ != nullptr) {
            first_[hook->hwnd_] = hook->next_;
        } else {
            first_.erase(hook->hwnd_);
            SetWindowLongPtrW(hook->hwnd_, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(hook->saved_proc_));
        }
    } else {
        for (CSubclassWnd* h = first; h != nullptr; h = h->next_) {
            if (h->next_ == hook) {
                h->next_ = hook->next_;
                break;
            }
        }
    }
    hook->next_ = nullptr;
}

CSubclassWnd::~CSubclassWnd() {
    HookWindow(nullptr);
}

bool CSubclassWnd::HookWindow(HWND hwnd) {
    if (hwnd != nullptr) {
        CSubclassWndMap::Instance().Add(hwnd, this);
        hwnd_ = hwnd;
    } else if (hwnd_ != nullptr) {
        CSubclassWndMap::Instance().Remove(this);
        saved_proc_ = nullptr;
        hwnd_ = nullptr;
    }
    return true;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return Default(message, wparam, lparam);
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wparam, LPARAM lparam) {
    if (next_ != nullptr) {
        return next_->WindowProc(message, wparam, lparam);
    }
    return CallWindowProcW(saved_proc_, hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK CSubclassWnd::HookWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    CSubclassWndMap& map = CSubclassWndMap::Instance();
    CSubclassWnd* first = map.Lookup(hwnd);
    if (first == nullptr) {
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) {
        // The window is going: take every hook off before its own procedure sees the end.
        const WNDPROC saved = first->saved_proc_;
        while (CSubclassWnd* hook = map.Lookup(hwnd)) {
            hook->HookWindow(nullptr);
        }
        return CallWindowProcW(saved, hwnd, message, wparam, lparam);
    }
    try {
        return first->WindowProc(message, wparam, lparam);
    } catch (...) {
        ui::Report("window hook, message " + std::to_string(message), CaughtText());
        return 0;
    }
}

}  // namespace tickra
