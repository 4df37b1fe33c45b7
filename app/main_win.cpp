#include <windows.h>

#include "app/tickra_app_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tickra::CTickraApp app;
    app.InitInstance();
    return 0;
}
