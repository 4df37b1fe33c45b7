#include "taskbar/taskbar_slot_win.h"

#include "taskbar/classic_slot_win.h"
#include "taskbar/own_window_slot_win.h"
#include "taskbar/secondary_slot_win.h"
#include "taskbar/secondary_windows11_slot_win.h"
#include "taskbar/shell_parts_win.h"
#include "ticker/text_progress_ctrl_win.h"
#include "taskbar/windows11_slot_win.h"

namespace tickra {

namespace {

// Windows 11 draws the taskbar in XAML inside a bridge window; its classic children are stand-ins.
bool HasBridge(HWND taskbar) {
    return FindWindowExW(taskbar, nullptr, L"Windows.UI.Composition.DesktopWindowContentBridge",
                         nullptr) != nullptr;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

std::unique_ptr<TaskbarSlot> MakeTaskbarSlot(TaskbarRole role, HWND taskbar) {
    // Each taskbar by its own children: a Windows 11 machine may run a classic taskbar.
    if (role == TaskbarRole::kSecondary) {
        if (HasBridge(taskbar)) {
            return std::make_unique<SecondaryWindows11Slot>(taskbar);
        }
        return std::make_unique<SecondarySlot>(taskbar);
    }
    taskbar = FindWindowExW(nullptr, nullptr, kPrimaryTaskbarClass, nullptr);
    const bool bands = taskbar != nullptr &&
                       FindWindowExW(taskbar, nullptr, L"ReBarWindow32", nullptr) != nullptr &&
                       FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr) != nullptr;
    if (!bands && RunningUnderWine()) {
        return std::make_unique<OwnWindowSlot>();  // Wine's shell has no bands to sit between
    }
    if (taskbar != nullptr && HasBridge(taskbar)) {
        return std::make_unique<Windows11Slot>();
    }
    return std::make_unique<ClassicSlot>();
}

std::vector<HWND> SecondaryTaskbars() {
    std::vector<HWND> taskbars;
    for (HWND t = FindWindowExW(nullptr, nullptr, kSecondaryTaskbarClass, nullptr); t != nullptr;
         t = FindWindowExW(nullptr, t, kSecondaryTaskbarClass, nullptr)) {
        taskbars.push_back(t);
    }
    return taskbars;
}

bool AnotherTickerRuns() {
    std::vector<HWND> taskbars = SecondaryTaskbars();
    taskbars.push_back(FindWindowExW(nullptr, nullptr, kPrimaryTaskbarClass, nullptr));
    for (HWND taskbar : taskbars) {
        if (taskbar != nullptr &&
            FindWindowExW(taskbar, nullptr, CTextProgressCtrl::kClassName, nullptr) != nullptr) {
            return true;
        }
    }
    return FindWindowExW(nullptr, nullptr, OwnWindowSlot::kClassName, nullptr) != nullptr ||
           FindWindowExW(nullptr, nullptr, kHiddenTickersClass, nullptr) != nullptr;
}

}  // namespace tickra
