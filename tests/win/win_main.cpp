#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv) {
    // As the program does at start: the common controls, the link control among them.
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
