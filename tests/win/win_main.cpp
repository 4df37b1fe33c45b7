#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int main(int argc, char** argv) {
    // As the program does at start: the common controls, the link control among them.
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
