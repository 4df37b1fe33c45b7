#include "app/tickra_app_win.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/command_line.h"
#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "res/resource.h"
#include "ui/window.h"

namespace tickra {

bool CTickraApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    // The main dialog's help link is a link control, which needs a class of its own.
    INITCOMMONCONTROLSEX link{sizeof(link), ICC_LINK_CLASS};
    InitCommonControlsEx(&link);

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) {
        ui::ShowMessageBox(nullptr, ui::LoadResourceString(IDP_SOCKETS_INIT_FAILED), "Tickra",
                           MB_OK | MB_ICONSTOP);
        return false;
    }

    // The announcement panel hosts the browser control, an OLE object.
    const bool ole = SUCCEEDED(OleInitialize(nullptr));
    {
        const std::string command_line = Narrow(GetCommandLineW());
        CTickraDlg dialog{std::string(ArgumentsAfterProgramName(command_line))};
        dialog.DoModal();
    }
    if (ole) {
        OleUninitialize();
    }
    WSACleanup();
    return false;
}

}  // namespace tickra
