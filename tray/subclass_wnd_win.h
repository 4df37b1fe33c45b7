// Window subclass hooks: an object sees every message of a window owned by other code before
// that window's own procedure does. Several hooks on one window form a chain, the most recently
// installed first.
#pragma once

#include <windows.h>

#include <unordered_map>

namespace tickra {

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Installs the hook on a window, or removes it with null. Always true.
    bool HookWindow(HWND hwnd);
    bool IsHooked() const { return hwnd_ != nullptr; }
    HWND hooked_window() const { return hwnd_; }

protected:
    // Sees a message first; the default passes it on along the chain.
    virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
    // The next hook of the chain, or the window's own procedure.
    LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam);

private:
    friend class CSubclassWndMap;
    static LRESULT CALLBACK HookWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    HWND hwnd_ = nullptr;
    WNDPROC saved_proc_ = nullptr;  // the window's procedure before the first hook
    CSubclassWnd* next_ = nullptr;
};

// From a window to the first hook of its chain; one per process, used on its UI thread.
class CSubclassWndMap {
public:
    static CSubclassWndMap& Instance();

    CSubclassWnd* Lookup(HWND hwnd) const;
    void Add(HWND hwnd, CSubclassWnd* hook);
    void Remove(CSubclassWnd* hook);

private:
    std::unordered_map<HWND, CSubclassWnd*> first_;
};

}  // namespace tickra
