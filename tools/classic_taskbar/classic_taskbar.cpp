#include "tools/classic_taskbar/classic_taskbar.h"

#include <cstring>
#include <string>

namespace tickra::tools {

namespace {

std::wstring tray_log_path;

// One line per request: operation (0 add, 1 modify, 2 delete), icon id, flags, balloon title
// and text in UTF-8 with line breaks as "\n", balloon time-out and balloon icon flags. The
// request layout is Wine's: the operation in dwData, then the icon data with fixed offsets.
void LogTrayRequest(const COPYDATASTRUCT& copy) {
    if (tray_log_path.empty() || copy.cbData < 928) {
        return;
    }
    const auto* bytes = static_cast<const char*>(copy.lpData);
    UINT id = 0, flags = 0, timeout = 0;
    DWORD info_flags = 0;
    memcpy(&id, bytes + 4, sizeof(id));
    memcpy(&flags, bytes + 8, sizeof(flags));
    memcpy(&timeout, bytes + 792, sizeof(timeout));
    memcpy(&info_flags, bytes + 924, sizeof(info_flags));
    auto utf8 = [](const wchar_t* text) {
        char out[1024] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof(out) - 1, nullptr, nullptr);
        std::string escaped;
        for (const char* p = out; *p; ++p) {
            if (*p == '\r') {
                continue;
            }
            escaped += *p == '\n' ? std::string("\\n") : std::string(1, *p);
        }
        return escaped;
    };
    const std::string line = std::to_string(copy.dwData) + "\t" + std::to_string(id) + "\t" +
                             std::to_string(flags) + "\t" +
                             utf8(reinterpret_cast<const wchar_t*>(bytes + 796)) + "\t" +
                             utf8(reinterpret_cast<const wchar_t*>(bytes + 280)) + "\t" +
                             std::to_string(timeout) + "\t" + std::to_string(info_flags) + "\n";
    HANDLE file = CreateFileW(tray_log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
}

COLORREF bar_colour = RGB(0x20, 0x2A, 0x38);
constexpr COLORREF kButtonColour = RGB(0x36, 0x44, 0x58);
constexpr COLORREF kTextColour = RGB(0xE8, 0xEC, 0xF0);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void PaintBar(HWND hwnd, bool buttons, bool clock, const wchar_t* label = nullptr) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(dc, client, bar_colour);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    if (buttons && client.right > client.bottom) {
        const wchar_t* names[] = {L"资源管理器", L"记事本"};
        int x = 4;
        for (const wchar_t* name : names) {
            RECT button{x, 3, x + 150, client.bottom - 3};
            if (button.right > client.right) {
                break;
            }
            Fill(dc, button, kButtonColour);
            DrawTextW(dc, name, -1, &button, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            x += 156;
        }
    }
    if (label != nullptr) {
        RECT button{3, 3, client.right - 3, client.bottom - 3};
        Fill(dc, button, kButtonColour);
        DrawTextW(dc, label, -1, &button, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    if (clock) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        wchar_t text[16];
        wsprintfW(text, L"%02d:%02d", now.wHour, now.wMinute);
        RECT area = client;
        area.right -= 6;
        DrawTextW(dc, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COPYDATA: {
            LogTrayRequest(*reinterpret_cast<const COPYDATASTRUCT*>(lparam));
            // Shell_NotifyIcon talks to the first "Shell_TrayWnd" it finds, which is this one
            // while it is top-most; Wine's tray, next in line, does the work.
            HWND tray = FindWindowExW(nullptr, hwnd, L"Shell_TrayWnd", nullptr);
            return tray != nullptr ? SendMessageW(tray, WM_COPYDATA, wparam, lparam) : FALSE;
        }
        case WM_PAINT:
            PaintBar(hwnd, false, false);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case kHangMessage: {
            HWND rebar = FindWindowExW(hwnd, nullptr, L"ReBarWindow32", nullptr);
            HWND notify = FindWindowExW(hwnd, nullptr, L"TrayNotifyWnd", nullptr);
            RECT band, area;
            if (rebar != nullptr && notify != nullptr && GetWindowRect(rebar, &band) &&
                GetWindowRect(notify, &area)) {
                MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&band), 2);
                MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
                MoveWindow(rebar, band.left, band.top, area.left - band.left,
                           band.bottom - band.top, TRUE);
            }
            Sleep(static_cast<DWORD>(wparam) * 1000);  // the hang itself
            return 0;
        }
        case WM_DESTROY:
            if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0) {
                PostQuitMessage(0);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

LRESULT CALLBACK RebarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PaintBar(hwnd, true, false);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PaintBar(hwnd, false, true);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK StartProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PaintBar(hwnd, false, false, L"开始");
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterOnce(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // Our own class of this name, even where a system class of the same name exists.
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) {
        if (wc.lpfnWndProc == proc) {
            return;
        }
        UnregisterClassW(name, GetModuleHandleW(nullptr));
    }
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace

bool ClassicTaskbar::CreateSecondary(const ClassicTaskbarLayout& layout, const RECT& bar) {
    RegisterOnce(L"Shell_SecondaryTrayWnd", TaskbarProc);
    RegisterOnce(L"Start", StartProc);
    RegisterOnce(L"WorkerW", RebarProc);
    RegisterOnce(L"MSTaskListWClass", RebarProc);
    RegisterOnce(L"ClockButton", NotifyProc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    taskbar_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_SecondaryTrayWnd", L"",
                               WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, bar.left, bar.top,
                               bar.right - bar.left, bar.bottom - bar.top, nullptr, nullptr,
                               instance, nullptr);
    if (taskbar_ == nullptr) {
        return false;
    }
    SetWindowLongPtrW(taskbar_, GWLP_USERDATA, layout.quit_on_destroy ? 1 : 0);
    const int w = bar.right - bar.left;
    const int h = bar.bottom - bar.top;
    const bool vertical = w < h;
    auto child = [&](const wchar_t* name, HWND parent, int x, int y, int cx, int cy) {
        return CreateWindowExW(0, name, L"", WS_CHILD | WS_VISIBLE, x, y, cx, cy, parent, nullptr,
                               instance, nullptr);
    };
    start_size_ = layout.start_width;
    const int clock = layout.notify_size;
    child(L"Start", taskbar_, 0, 0, vertical ? w : start_size_, vertical ? start_size_ : h);
    notify_ = clock <= 0 ? nullptr
              : vertical ? child(L"ClockButton", taskbar_, 0, h - clock, w, clock)
                         : child(L"ClockButton", taskbar_, w - clock, 0, clock, h);
    if (layout.task_list) {
        RemakeTaskList();
    }
    return !layout.task_list || rebar_ != nullptr;
}

void ClassicTaskbar::RemakeTaskList() {
    if (rebar_ != nullptr) {
        DestroyWindow(rebar_);
    }
    RECT bar, clock{};
    GetClientRect(taskbar_, &bar);
    if (notify_ != nullptr) {
        GetClientRect(notify_, &clock);
    }
    const bool vertical = bar.right < bar.bottom;
    const RECT list = vertical ? RECT{0, start_size_, bar.right, bar.bottom - clock.bottom}
                               : RECT{start_size_, 0, bar.right - clock.right, bar.bottom};
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    rebar_ = CreateWindowExW(0, L"WorkerW", L"", WS_CHILD | WS_VISIBLE, list.left, list.top,
                             list.right - list.left, list.bottom - list.top, taskbar_, nullptr,
                             instance, nullptr);
    CreateWindowExW(0, L"MSTaskListWClass", L"", WS_CHILD | WS_VISIBLE, 0, 0,
                    list.right - list.left, list.bottom - list.top, rebar_, nullptr, instance,
                    nullptr);
}

ClassicTaskbar::~ClassicTaskbar() {
    Destroy();
}

void ClassicTaskbar::Destroy() {
    if (taskbar_ != nullptr) {
        DestroyWindow(taskbar_);
    }
    taskbar_ = rebar_ = notify_ = nullptr;
}

void ClassicTaskbar::SetBarColour(COLORREF colour) {
    bar_colour = colour;
    RedrawWindow(taskbar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool ClassicTaskbar::Create(const ClassicTaskbarLayout& layout) {
    tray_log_path = layout.tray_log != nullptr ? layout.tray_log : L"";
    bar_colour = layout.bar_colour;
    RegisterOnce(L"Shell_TrayWnd", TaskbarProc);
    RegisterOnce(L"ReBarWindow32", RebarProc);
    RegisterOnce(L"TrayNotifyWnd", NotifyProc);

    const int screen_w = GetSystemMetrics(SM_CXSCREEN);
    const int screen_h = GetSystemMetrics(SM_CYSCREEN);
    RECT bar;
    if (!IsRectEmpty(&layout.bounds)) {
        bar = layout.bounds;
    } else if (layout.vertical) {
        bar = {0, 0, layout.thickness, screen_h};
    } else {
        const int bottom = screen_h - layout.bottom_margin;
        bar = {0, bottom - layout.thickness, screen_w, bottom};
    }
    if (layout.secondary) {
        return CreateSecondary(layout, bar);
    }
    taskbar_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                               WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, bar.left, bar.top,
                               bar.right - bar.left, bar.bottom - bar.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (taskbar_ == nullptr) {
        return false;
    }
    SetWindowLongPtrW(taskbar_, GWLP_USERDATA, layout.quit_on_destroy ? 1 : 0);
    const int w = bar.right - bar.left;
    const int h = bar.bottom - bar.top;
    RECT band, notify;
    if (layout.vertical) {
        band = {0, layout.start_width, w, h - layout.notify_size};
        notify = {0, h - layout.notify_size, w, h};
    } else {
        band = {layout.start_width, 0, w - layout.notify_size, h};
        notify = {w - layout.notify_size, 0, w, h};
    }
    if (layout.windows11) {
        // The buttons are drawn by a composition layer; the ReBar is an empty stand-in.
        RegisterOnce(L"Windows.UI.Composition.DesktopWindowContentBridge", RebarProc);
        RegisterOnce(L"Start", StartProc);
        CreateWindowExW(0, L"Windows.UI.Composition.DesktopWindowContentBridge", L"",
                        WS_CHILD | WS_VISIBLE, 0, 0, w - layout.notify_size, h, taskbar_, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
        CreateWindowExW(0, L"Start", L"", WS_CHILD, 0, 0, layout.start_width, h, taskbar_, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
        band.bottom = band.top;
    }
    rebar_ = CreateWindowExW(0, L"ReBarWindow32", L"", WS_CHILD | WS_VISIBLE, band.left, band.top,
                             band.right - band.left, band.bottom - band.top, taskbar_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    notify_ = CreateWindowExW(0, L"TrayNotifyWnd", L"", WS_CHILD | WS_VISIBLE, notify.left,
                              notify.top, notify.right - notify.left, notify.bottom - notify.top,
                              taskbar_, nullptr, GetModuleHandleW(nullptr), nullptr);
    return rebar_ != nullptr && notify_ != nullptr;
}

}  // namespace tickra::tools
