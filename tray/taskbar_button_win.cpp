#include "tray/taskbar_button_win.h"

#include <shobjidl.h>

#include "base/com_ptr_win.h"

namespace tickra {

bool SetTaskbarButton(HWND hwnd, bool add) {
    const HRESULT com = CoInitialize(nullptr);
    bool done = false;
    {
        ComPtr<ITaskbarList> list;
        if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ITaskbarList, list.put_void())) &&
            SUCCEEDED(list->HrInit())) {
            done = SUCCEEDED(add ? list->AddTab(hwnd) : list->DeleteTab(hwnd));
        }
    }  // released before COM is let go
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return done;
}

}  // namespace tickra
