#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "res/resource.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "ui/list_view.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

// Ctrl+Alt+Z as the keyboard gives it.
void PressHideKey() {
    const WORD keys[] = {VK_CONTROL, VK_MENU, 'Z'};
    INPUT inputs[6] = {};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

// The tray menu's hide entry as the dialog makes it up before it opens.
std::string HideEntry(const CTickraDlg& dialog) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    SendMessageW(dialog.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, 0)), 0);
    wchar_t text[64] = {};
    GetMenuStringW(menu, ID_TRAY_HIDE_TICKERS, text, 64, MF_BYCOMMAND);
    const bool checked = (GetMenuState(menu, ID_TRAY_HIDE_TICKERS, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(menu);
    return Narrow(text) + (checked ? " checked" : "");
}

TEST(HideKey, HidesEveryTickerAndGivesTheRoomBackUntilPressedAgain) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "[Tickra]\r\nTaskbars=all\r\n");
    folder.WriteFile("code.ini", "[600000]\r\n");
    tools::ClassicTaskbar primary, secondary;
    tools::ClassicTaskbarLayout second;
    second.secondary = true;
    second.notify_size = 80;
    second.bounds = {0, 0, 1280, 30};
    ASSERT_TRUE(primary.Create({}) && secondary.Create(second));
    // Where the primary's ReBar and the secondary's task list end.
    auto room = [&] {
        RECT rebar{}, list{};
        GetWindowRect(primary.rebar(), &rebar);
        GetWindowRect(secondary.rebar(), &list);
        return std::pair(rebar.right, list.right);
    };
    const auto full = room();
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.quote_host = testing::SimulatorHost();  // quotes go on while hidden
    CTickraDlg dialog("", services);
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    auto tickers = [&dialog] { return dialog.ticker_hosts()->all().size(); };
    ASSERT_EQ(tickers(), 2u);
    ASSERT_TRUE(room().first < full.first && room().second < full.second);
    EXPECT_EQ(HideEntry(dialog), "隐藏行情");

    PressHideKey();
    ASSERT_TRUE(testing::PumpUntil([&] { return tickers() == 0; }));
    EXPECT_EQ(room(), full) << "the room back";
    EXPECT_EQ(HideEntry(dialog), "隐藏行情 checked");
    EXPECT_TRUE(CNProgressBar::AnotherTickerRuns()) << "a second copy still finds this one";
    // Neither a new shell nor the cycle brings them back, and another choice waits.
    SendMessageW(dialog.hwnd(), TaskbarCreatedMessage(), 0, 0);
    SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_TASKBARS_PRIMARY, 0);
    ASSERT_TRUE(testing::TickAndWait(dialog) && testing::TickAndWait(dialog));
    EXPECT_EQ(room(), full);

    PressHideKey();
    ASSERT_TRUE(testing::PumpUntil([&] { return tickers() == 1; }));
    EXPECT_LT(room().first, full.first) << "on the primary only, as chosen meanwhile";
    EXPECT_EQ(room().second, full.second);
}

TEST(HideKey, AKeyHeldElsewhereAndAnUnreadableValueAreEachToldOnce) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "[Tickra]\r\nHideKey=Ctrl+Alt+Hyper\r\n");
    const HWND other =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'Z'));
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    UnregisterHotKey(other, 7);
    const ui::ListView lines(dialog.Item(IDC_MESSAGE_LIST).hwnd());
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.ItemText(0, 0), "隐藏热键 Ctrl+Alt+Z 已被其他程序占用");
    EXPECT_EQ(lines.ItemText(1, 0), "隐藏热键 Ctrl+Alt+Hyper 无法识别，使用 Ctrl+Alt+Z");
    EXPECT_EQ(HideEntry(dialog), "隐藏行情（热键被占用）");
    ASSERT_TRUE(testing::WaitIdle(dialog));
    DestroyWindow(other);
}

}  // namespace
}  // namespace tickra
