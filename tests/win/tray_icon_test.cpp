#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/code_page_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tray/tray_icon_win.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

// A stand-in shell: the top-most "Shell_TrayWnd", which Shell_NotifyIcon hands its requests to
// as WM_COPYDATA. Under Wine the request (NIM_ADD, NIM_MODIFY, NIM_DELETE) is the copy's
// dwData, followed by Wine's own layout of the icon data.
struct ShellRequest {
    DWORD operation;
    UINT flags;
    std::wstring tip, info, title;
};
std::vector<ShellRequest>* shell_log = nullptr;

LRESULT CALLBACK FakeShellProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA && shell_log != nullptr) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        const auto* bytes = static_cast<const char*>(copy->lpData);
        ShellRequest request{static_cast<DWORD>(copy->dwData), 0, {}, {}, {}};
        if (copy->cbData >= 924) {
            std::memcpy(&request.flags, bytes + 8, sizeof(UINT));
            request.tip = reinterpret_cast<const wchar_t*>(bytes + 16);
            request.info = reinterpret_cast<const wchar_t*>(bytes + 280);
            request.title = reinterpret_cast<const wchar_t*>(bytes + 796);
        }
        shell_log->push_back(request);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// The notification window: records the commands the menu and double clicks send it.
std::vector<WPARAM>* commands = nullptr;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && commands != nullptr) {
        commands->push_back(wparam);
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND MakeWindow(const wchar_t* cls, WNDPROC proc, DWORD ex_style, DWORD style = WS_POPUP) {
    UnregisterClassW(cls, GetModuleHandleW(nullptr));  // another test's class of this name
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(ex_style, cls, L"", style, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct TrayIconTest : ::testing::Test {
    std::vector<ShellRequest> log;
    std::vector<WPARAM> seen;
    HWND shell = nullptr, owner = nullptr;
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY));
    // Opening an address waits until the test lets it go: a browser slow to start.
    HANDLE browser_started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ShellThread shell_thread{
        [this](const std::wstring&) { WaitForSingleObject(browser_started, 10000); }};
    CTrayIcon tray{IDR_TRAY_MENU, shell_thread};

    void SetUp() override {
        shell_log = &log;
        commands = &seen;
        // Visible and top-most, it is the first "Shell_TrayWnd" in the z-order.
        shell = MakeWindow(L"Shell_TrayWnd", FakeShellProc, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                           WS_POPUP | WS_VISIBLE);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), shell);
        owner = MakeWindow(L"TickraTrayOwner", OwnerProc, 0);
        tray.SetNotificationWnd(owner, kTrayCallbackMessage);
    }
    // The shell thread's calls reach the stand-in shell, which runs on this thread.
    void Flush() {
        ASSERT_TRUE(testing::PumpUntil([this] { return shell_thread.idle(); }));
    }
    void TearDown() override {
        tray.SetIcon(nullptr, nullptr);
        Flush();
        tray.SetNotificationWnd(nullptr, 0);
        DestroyWindow(owner);
        DestroyWindow(shell);
        shell_log = nullptr;
        commands = nullptr;
        SetEvent(browser_started);
    }
    std::vector<DWORD> Operations() const {
        std::vector<DWORD> operations;
        for (const ShellRequest& r : log) {
            operations.push_back(r.operation);
        }
        return operations;
    }
};

TEST_F(TrayIconTest, AddsThenModifiesThenDeletes) {
    tray.SetIcon(icon, "Tickra");
    tray.SetIcon(icon, nullptr);
    EXPECT_TRUE(tray.IsShown());
    tray.SetIcon(nullptr, nullptr);
    EXPECT_FALSE(tray.IsShown());
    tray.SetIcon(nullptr, nullptr);  // nothing to remove: no shell call
    Flush();
    EXPECT_EQ(Operations(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_DELETE}));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].flags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
    EXPECT_EQ(log[0].tip, L"Tickra");
}

TEST_F(TrayIconTest, ABrowserSlowToStartDelaysNoTrayCall) {
    shell_thread.Open(L"http://help.test/");
    tray.SetIcon(icon, "Tickra");
    tray.SetIcon(nullptr, nullptr);
    Flush();
    EXPECT_EQ(Operations(), (std::vector<DWORD>{NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayIconTest, WhileTheShellHangsOnlyTheNewestWaitingTipIsSetAndNoBalloonIsDropped) {
    // The stand-in shell answers only when this thread pumps: until then the first call hangs.
    tray.SetIcon(icon, "add");
    tray.SetIcon(icon, "tip 1");
    tray.ShowBalloon("", "balloon 1", 3000, NIIF_INFO);
    tray.SetIcon(icon, "tip 2");
    tray.ShowBalloon("", "balloon 2", 3000, NIIF_INFO);
    tray.SetIcon(nullptr, nullptr);
    Flush();
    std::vector<std::wstring> made;
    for (const ShellRequest& r : log) {
        made.push_back(r.operation == NIM_DELETE ? L"delete" : r.info.empty() ? r.tip : r.info);
    }
    EXPECT_EQ(made,
              (std::vector<std::wstring>{L"add", L"tip 2", L"balloon 1", L"balloon 2", L"delete"}));
}

TEST_F(TrayIconTest, TextsAreCutToTheShellsFieldsOnCharacterBoundaries) {
    const std::string long_tip = "a" + std::string(200, '\xB0');  // 1 + 100 characters
    tray.SetIcon(icon, long_tip.c_str());
    tray.ShowBalloon("标" + std::string(100, 'x'), "a" + std::string(300, '\xB0'), 3000,
                     NIIF_WARNING);
    Flush();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(Narrow(log[0].tip), "a" + std::string(126, '\xB0'));
    EXPECT_EQ(log[1].operation, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(log[1].flags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(Narrow(log[1].info), "a" + std::string(254, '\xB0'));
    EXPECT_EQ(Narrow(log[1].title), "标" + std::string(61, 'x'));
}

TEST_F(TrayIconTest, DoubleClickRunsSettingsAtOnce) {
    tray.SetIcon(icon, "Tickra");
    SendMessageW(owner, kTrayCallbackMessage, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
    EXPECT_EQ(seen, (std::vector<WPARAM>{ID_TRAY_SETTINGS}));
    SendMessageW(owner, kTrayCallbackMessage, IDR_TRAY_MENU, WM_LBUTTONDOWN);
    SendMessageW(owner, kTrayCallbackMessage, IDR_TRAY_MENU, WM_LBUTTONUP);
    SendMessageW(owner, kTrayCallbackMessage, 99, WM_LBUTTONDBLCLK);
    EXPECT_EQ(seen.size(), 1u) << "single clicks and other icons do nothing";
}

TEST_F(TrayIconTest, RightClickMenuHasSettingsAsDefaultAndExitRunsExit) {
    tray.SetIcon(icon, "Tickra");
    std::vector<std::string> items;
    UINT default_item = 99;
    testing::RunInsideNextLoop([&] {
        HWND menu_window = FindWindowW(L"#32768", nullptr);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
        default_item = GetMenuDefaultItem(menu, TRUE, 0);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[32] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 32, MF_BYPOSITION);
            items.push_back(Narrow(text));
        }
        for (int i = 0; i < 11; ++i) {  // the entries down to 退出, past the separators
            PostMessageW(menu_window, WM_KEYDOWN, VK_DOWN, 0);
        }
        PostMessageW(menu_window, WM_KEYDOWN, VK_RETURN, 0);
    });
    SendMessageW(owner, kTrayCallbackMessage, IDR_TRAY_MENU, WM_RBUTTONUP);
    testing::PumpUntil([&] { return !seen.empty(); });
    EXPECT_EQ(items, (std::vector<std::string>{"设置", "开机启动", "显示位置", "行情来源",
                                               "涨跌停提醒", "涨跌幅提醒", "", "显示盈亏",
                                               "单色显示", "隐藏金额", "隐藏行情", "", "退出"}));
    EXPECT_EQ(default_item, 0u);
    EXPECT_EQ(seen, (std::vector<WPARAM>{ID_TRAY_EXIT}));
}

TEST_F(TrayIconTest, TaskbarCreatedAddsTheIconAgain) {
    tray.SetIcon(icon, "Tickra");
    Flush();
    log.clear();
    SendMessageW(owner, TaskbarCreatedMessage(), 0, 0);
    Flush();
    ASSERT_EQ(Operations(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_EQ(log[0].flags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
    EXPECT_EQ(log[0].tip, L"Tickra");

    tray.SetIcon(nullptr, nullptr);
    Flush();
    log.clear();
    SendMessageW(owner, TaskbarCreatedMessage(), 0, 0);
    Flush();
    EXPECT_TRUE(log.empty()) << "no icon shown, nothing to add";
}

}  // namespace
}  // namespace tickra
