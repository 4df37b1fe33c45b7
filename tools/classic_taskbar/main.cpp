// classic_taskbar.exe [--height N] [--vertical] [--windows11] [--notify N] [--bottom-margin N]
//                     [--secondary LEFT TOP RIGHT BOTTOM] [--log FILE] [--ready FILE]
// --secondary makes a second monitor's taskbar at that place, with a clock of --notify pixels
// (80 unless given; 0: none). --ready names a file that is created once the taskbar's windows
// exist. Runs until its "Shell_TrayWnd" is closed.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "tools/classic_taskbar/classic_taskbar.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tickra::tools::ClassicTaskbarLayout layout;
    layout.quit_on_destroy = true;
    const wchar_t* ready = nullptr;
    bool notify_given = false;
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
            notify_given = true;
        } else if (wcscmp(argv[i], L"--bottom-margin") == 0 && has_value) {
            layout.bottom_margin = _wtoi(argv[++i]);
        } else if (wcscmp(argv[i], L"--secondary") == 0 && i + 4 < argc) {
            layout.secondary = true;
            layout.bounds = {_wtoi(argv[i + 1]), _wtoi(argv[i + 2]), _wtoi(argv[i + 3]),
                             _wtoi(argv[i + 4])};
            i += 4;
        } else if (wcscmp(argv[i], L"--log") == 0 && has_value) {
            layout.tray_log = argv[++i];
        } else if (wcscmp(argv[i], L"--ready") == 0 && has_value) {
            ready = argv[++i];
        }
    }
    if (layout.secondary && !notify_given) {
        layout.notify_size = 80;
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
