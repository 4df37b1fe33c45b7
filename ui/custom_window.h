// A window of a class of our own, with its messages routed to a virtual. The class is registered
// once, the object is found through GWLP_USERDATA, and the handle is forgotten at WM_NCDESTROY,
// so whoever destroys the window, the object never hands out a dead handle. No message from
// outside closes it.
#pragma once

#include <windows.h>

namespace ui {

// What a window class of ours looks like. A class with a base takes over that system class's
// behaviour (a progress bar, say) under its own name; the others start from DefWindowProc.
struct WindowClass {
    const wchar_t* name;
    const wchar_t* base = nullptr;
    HBRUSH background = nullptr;
};

class CustomWindow {
public:
    CustomWindow() = default;
    // Destroys the window if it is still there, without calling back into the object.
    virtual ~CustomWindow();
    CustomWindow(const CustomWindow&) = delete;
    CustomWindow& operator=(const CustomWindow&) = delete;

    // Registers the class on first use and creates the window; rect in the parent's client
    // coordinates (the screen's for a top-level window). False when either step fails.
    bool Create(const WindowClass& window_class, DWORD ex_style, DWORD style, const RECT& rect,
                HWND parent, int id = 0, const wchar_t* title = L"");
    void Destroy();

    // Null once the window has gone, however it went.
    HWND hwnd() const noexcept;

protected:
    // Handles one message; the default passes it on to the class's base behaviour.
    virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT DefaultProc(UINT message, WPARAM wparam, LPARAM lparam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                       LPARAM lparam) noexcept;

    HWND hwnd_ = nullptr;
    bool making_ = false;  // inside Create: WM_NCCREATE and WM_CREATE are the system's
    WNDPROC base_proc_ = DefWindowProcW;
};

}  // namespace ui
