// The smallest Win32 dialog program, built and run as Tickra is: the yardstick for Tickra's
// start-up time and resident memory under Wine.
#include <windows.h>

namespace {

INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        EndDialog(hwnd, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // A template in memory: a captioned dialog with no controls.
    struct {
        DLGTEMPLATE header;
        WORD menu, window_class;
        wchar_t title[6];
    } dialog{};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialog.header.cx = 200;
    dialog.header.cy = 100;
    lstrcpyW(dialog.title, L"Empty");
    return static_cast<int>(DialogBoxIndirectParamW(instance, &dialog.header, nullptr, Proc, 0));
}
