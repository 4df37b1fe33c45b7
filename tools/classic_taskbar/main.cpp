// classic_taskbar.exe [--height N] [--vertical] [--windows11] [--notify N] [--bottom-margin N]
//                     [--log FILE]
//                     [--ready FILE]
// --ready names a file that is created once the taskbar's windows exist.
// Runs until its "Shell_TrayWnd" is closed.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "tools/classic_taskbar/classic_taskbar.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tickra::tools::ClassicTaskbarLayout layout;
    layout.quit_on_destroy = true;
    const wchar_t* ready = nullptr;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (wcscmp(argv[i], L"--vertical") == 0) {
            layout.vertical = true;
        } else if (wcscmp(argv[i], L"--windows11") == 0) {
            layout.windows11 = true;
        } else if (wcscmp(argv[i], L"--height") == 0 && has_value) {
            layout.thickness = _wtoi(argv[++i]);
        } else if (wcscmp(argv[i], L"--notify") == 0 && has_value) {
            layout.notify_size = _wtoi(argv[++i]);
        } else if (wcscmp(argv[i], L"--bottom-margin") == 0 && has_value) {
            layout.bottom_margin = _wtoi(argv[++i]);
        } else if (wcscmp(argv[i], L"--log") == 0 && has_value) {
            layout.tray_log = argv[++i];
        } else if (wcscmp(argv[i], L"--ready") == 0 && has_value) {
            ready = argv[++i];
        }
    }
    tickra::tools::ClassicTaskbar taskbar;
    const bool created = taskbar.Create(layout);
    if (created && ready != nullptr) {
        CloseHandle(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    LocalFree(argv);
    if (!created) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
