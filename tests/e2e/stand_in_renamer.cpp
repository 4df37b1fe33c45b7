// Stands in for the renaming program at an upgrade hand-over: it only leaves a mark in the folder
// it was started in, so that a test can see it ran, and ends at once.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HANDLE mark = CreateFileW(L"renamer-ran", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) {
        CloseHandle(mark);
    }
    return 0;
}
