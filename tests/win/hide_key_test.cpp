#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "res/resource.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "ui/list_view.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

LONG RightEdge(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.right;
}

HWND TickerIn(HWND taskbar) {
    return FindWindowExW(taskbar, nullptr, CTextProgressCtrl::kClassName, nullptr);
}

// Ctrl+Alt+Z as the keyboard gives it.
void PressHideKey() {
    const WORD keys[] = {VK_CONTROL, VK_MENU, 'Z'};
    std::vector<INPUT> inputs(6);
    for (size_t i = 0; i < 3; ++i) {
        inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

using MenuEntry = std::pair<std::string, bool>;

// The tray menu's hide entry as the dialog makes it up before it opens: its text, and its check.
MenuEntry HideEntry(const CTickraDlg& dialog) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    SendMessageW(dialog.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    wchar_t text[64] = {};
    GetMenuStringW(popup, ID_TRAY_HIDE_TICKERS, text, 64, MF_BYCOMMAND);
    const bool checked = (GetMenuState(popup, ID_TRAY_HIDE_TICKERS, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(menu);
    return {Narrow(text), checked};
}

std::vector<std::string> MessageLines(const CTickraDlg& dialog) {
    const ui::ListView view(dialog.Item(IDC_MESSAGE_LIST).hwnd());
    std::vector<std::string> lines;
    for (int i = 0; i < view.Count(); ++i) {
        lines.push_back(view.ItemText(i, 0));
    }
    return lines;
}

TEST(HideKey, HidesEveryTickerAndGivesTheRoomBackUntilPressedAgain) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "[Tickra]\r\nTaskbars=all\r\n");
    folder.WriteFile("code.ini", "[600000]\r\n");
    tools::ClassicTaskbar primary, secondary;
    ASSERT_TRUE(primary.Create({}));
    tools::ClassicTaskbarLayout second;
    second.secondary = true;
    second.notify_size = 80;
    second.bounds = {0, 0, 1280, 30};
    ASSERT_TRUE(secondary.Create(second));
    const LONG full_rebar = RightEdge(primary.rebar()), full_list = RightEdge(secondary.rebar());
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.quote_host = testing::SimulatorHost();  // quotes go on while hidden
    CTickraDlg dialog("", services);
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    auto shown = [&] {
        return (TickerIn(primary.taskbar()) != nullptr) +
               (TickerIn(secondary.taskbar()) != nullptr);
    };
    ASSERT_EQ(shown(), 2);
    ASSERT_LT(RightEdge(primary.rebar()), full_rebar);
    EXPECT_EQ(HideEntry(dialog), MenuEntry("隐藏行情", false));

    PressHideKey();
    ASSERT_TRUE(testing::PumpUntil([&] { return shown() == 0; })) << "every ticker hidden";
    EXPECT_EQ(RightEdge(primary.rebar()), full_rebar) << "the room back";
    EXPECT_EQ(RightEdge(secondary.rebar()), full_list);
    EXPECT_EQ(HideEntry(dialog), MenuEntry("隐藏行情", true));
    EXPECT_TRUE(CNProgressBar::AnotherTickerRuns()) << "a second copy still finds this one";
    // Neither the cycle nor a new shell brings them back, and another choice waits.
    SendMessageW(dialog.hwnd(), TaskbarCreatedMessage(), 0, 0);
    SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_TASKBARS_PRIMARY, 0);
    ASSERT_TRUE(testing::TickAndWait(dialog));
    ASSERT_TRUE(testing::TickAndWait(dialog));
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(RightEdge(primary.rebar()), full_rebar);

    PressHideKey();
    ASSERT_TRUE(testing::PumpUntil([&] { return shown() != 0; }));
    EXPECT_NE(TickerIn(primary.taskbar()), nullptr);
    EXPECT_EQ(TickerIn(secondary.taskbar()), nullptr) << "the choice made while hidden";
    EXPECT_LT(RightEdge(primary.rebar()), full_rebar);
    EXPECT_TRUE(boxes.empty());
}

TEST(HideKey, AKeyHeldElsewhereAndAnUnreadableValueAreEachToldOnce) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "[Tickra]\r\nHideKey=Ctrl+Alt+Hyper\r\n");
    const HWND other =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'Z'));
    std::vector<testing::MessageBoxRecord> boxes;
    {
        CTickraDlg dialog("", testing::TestServices(&boxes));
        ASSERT_TRUE(dialog.Create());
        ASSERT_TRUE(testing::WaitIdle(dialog));
        EXPECT_EQ(MessageLines(dialog),
                  (std::vector<std::string>{"隐藏热键 Ctrl+Alt+Z 已被其他程序占用",
                                            "隐藏热键 Ctrl+Alt+Hyper 无法识别，使用 Ctrl+Alt+Z"}));
        EXPECT_EQ(HideEntry(dialog).first, "隐藏行情（热键被占用）");
        // The tray's entry hides all the same.
        SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_HIDE_TICKERS, 0);
        EXPECT_EQ(dialog.ticker_host(), nullptr);
        EXPECT_TRUE(HideEntry(dialog).second);
    }
    UnregisterHotKey(other, 7);
    DestroyWindow(other);
}

}  // namespace
}  // namespace tickra
