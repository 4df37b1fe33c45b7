#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/tickra_dlg.h"
#include "res/resource.h"
#include "ui/list_view.h"
#include "ui/text.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

using testing::ColumnHeading;
using testing::ColumnWidth;
using testing::ScopedWorkingDirectory;
using Rows = std::vector<std::vector<std::string>>;

Rows ViewRows(const CTickraDlg& dialog) {
    const ui::ListView view(dialog.Item(IDC_WATCH_LIST).hwnd());
    Rows rows;
    for (int i = 0; i < view.Count(); ++i) {
        rows.emplace_back();
        for (int column = 0; column < kWatchColumnCount; ++column) {
            rows.back().push_back(view.ItemText(i, column));
        }
    }
    return rows;
}

std::string SixDigitSections(int count) {
    std::string ini;
    for (int i = 0; i < count; ++i) {
        ini.append("[").append(std::to_string(600000 + i)).append("]\r\nunder=1\r\n");
    }
    return ini;
}

TEST(MainDialog, LoadsTheWatchListFromCodeIniInTheWorkingDirectory) {
    struct Case {
        const char* what;
        std::string ini;  // empty: no file at all
        Rows rows;
    };
    const Case cases[] = {
        {"three sections in file order",
         "[600000]\r\nover=11\r\nunder=9.50\r\n[000001]\r\nsale=8.88\r\ncdt=2008-07-08\r\n"
         "[1A0001]\r\n",
         {{"600000", "9.50", "11", "", ""},
          {"000001", "", "", "8.88", "2008-07-08"},
          {"1A0001", "", "", "", ""}}},
        {"only over", "[600036]\r\nover=15\r\n", {{"600036", "", "15", "", ""}}},
        {"key Under is not under", "[600000]\r\nUnder=9\r\n", {{"600000", "", "", "", ""}}},
        {"empty section name", "[]\r\nunder=1\r\n[600000]\r\n", {{"600000", "", "", "", ""}}},
        {"no file", "", {}},
    };
    for (const Case& c : cases) {
        ScopedWorkingDirectory folder;
        if (!c.ini.empty()) {
            folder.WriteFile("code.ini", c.ini);
        }
        CTickraDlg dialog("");
        ASSERT_TRUE(dialog.Create()) << c.what;
        EXPECT_EQ(ViewRows(dialog), c.rows) << c.what;
        EXPECT_EQ(dialog.watch_list().size(), c.rows.size()) << c.what;
        EXPECT_EQ(dialog.code_ini_path(), folder.path() + "\\code.ini");
    }
}

TEST(MainDialog, EightySectionsLoadTheSeventyThreeThatFit) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", SixDigitSections(80));
    CTickraDlg dialog("");
    ASSERT_TRUE(dialog.Create());
    const Rows rows = ViewRows(dialog);
    ASSERT_EQ(rows.size(), 73u);
    EXPECT_EQ(rows.front()[0], "600000");
    EXPECT_EQ(rows.back()[0], "600072");
}

TEST(MainDialog, StartsWithItsControlsSetUp) {
    ScopedWorkingDirectory folder;
    CTickraDlg dialog("");
    ASSERT_TRUE(dialog.Create());

    EXPECT_EQ(dialog.window().Text(), "Tickra");
    EXPECT_EQ(dialog.ItemText(IDC_ROTATION), "1");
    EXPECT_EQ(dialog.ItemText(IDC_UNDER), "0");
    EXPECT_EQ(dialog.ItemText(IDC_OVER), "0");
    EXPECT_EQ(dialog.ItemText(IDC_SALE), "0");
    EXPECT_EQ(dialog.ItemText(IDC_APPLY), "添加");
    EXPECT_FALSE(dialog.Item(IDC_CANCEL_EDIT).IsVisible());
    EXPECT_TRUE(IsWindow(dialog.Item(IDC_HELP_LINK).hwnd()));
    EXPECT_TRUE(IsWindow(dialog.Item(IDC_AD_PANEL).hwnd()));

    struct Column {
        int list, index;
        const char* heading;
        int width;
    };
    const Column columns[] = {
        {IDC_WATCH_LIST, 0, "代码", 60},      {IDC_WATCH_LIST, 1, "下破", 60},
        {IDC_WATCH_LIST, 2, "上穿", 60},      {IDC_WATCH_LIST, 3, "平衡价", 80},
        {IDC_WATCH_LIST, 4, "数据日期", 100}, {IDC_MESSAGE_LIST, 0, "信息内容", 420},
        {IDC_MESSAGE_LIST, 1, "日期", 100},
    };
    for (const Column& c : columns) {
        HWND list = dialog.Item(c.list).hwnd();
        EXPECT_EQ(ColumnHeading(list, c.index), c.heading);
        EXPECT_EQ(ColumnWidth(list, c.index), c.width) << c.heading;
    }
    for (int list : {IDC_WATCH_LIST, IDC_MESSAGE_LIST}) {
        const auto style =
            SendMessageW(dialog.Item(list).hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_TRUE(style & LVS_EX_FULLROWSELECT) << list;
    }

    HMENU menu = GetSystemMenu(dialog.hwnd(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    wchar_t about[32] = {};
    GetMenuStringW(menu, count - 1, about, 32, MF_BYPOSITION);
    EXPECT_EQ(ui::Narrow(about), "关于...");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
}

TEST(MainDialog, TipsSwitchIsTheArgumentSlashBS) {
    ScopedWorkingDirectory folder;
    for (auto [arguments, on] :
         {std::pair{"/BS", true}, std::pair{"/bs", true}, std::pair{"/Bs", true},
          std::pair{"/BS x", false}, std::pair{"", false}}) {
        CTickraDlg dialog(arguments);
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(dialog.tips_switch(), on) << arguments;
    }
}

TEST(MainDialog, StaysHiddenUntilSettingsAndCloseOnlyHides) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", "[600000]\r\nunder=9\r\n");
    CTickraDlg dialog("");
    bool ran = false;
    testing::RunInsideNextLoop([&] {
        ran = true;
        HWND hwnd = dialog.hwnd();
        EXPECT_FALSE(IsWindowVisible(hwnd)) << "hidden at start";

        SendMessageW(hwnd, WM_COMMAND, ID_TRAY_SETTINGS, 0);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        RECT first;
        GetWindowRect(hwnd, &first);
        // A frame repaint after Settings must not hide the window again.
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(IsWindowVisible(hwnd));

        SendMessageW(hwnd, WM_COMMAND, IDOK, 0);  // "关闭"
        EXPECT_FALSE(IsWindowVisible(hwnd));
        EXPECT_TRUE(IsWindow(hwnd));
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(hwnd));

        SendMessageW(hwnd, WM_COMMAND, ID_TRAY_SETTINGS, 0);
        RECT again;
        GetWindowRect(hwnd, &again);
        EXPECT_TRUE(EqualRect(&first, &again));
        EXPECT_EQ(ViewRows(dialog), (Rows{{"600000", "9", "", "", ""}}));

        SendMessageW(hwnd, WM_COMMAND, ID_TRAY_EXIT, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ran);
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_TRUE(dialog.watch_list().empty());
}

TEST(MainDialog, ReturnAndEscapeDoNothing) {
    ScopedWorkingDirectory folder;
    CTickraDlg dialog("");
    ASSERT_TRUE(dialog.Create());
    dialog.ShowSettings();
    HWND code = dialog.Item(IDC_CODE).hwnd();
    SetFocus(code);
    // Queued the way a key press arrives; without the filter, the dialog manager would turn
    // Escape into Cancel and Return into the default button.
    auto press = [&](UINT message, WPARAM key) {
        MSG queued{};
        queued.hwnd = code;
        queued.message = message;
        queued.wParam = key;
        if (!ui::Dialog::RouteMessage(queued)) {
            TranslateMessage(&queued);
            DispatchMessageW(&queued);
        }
    };
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        press(WM_KEYDOWN, key);
        press(WM_CHAR, key);
        press(WM_KEYUP, key);
    }
    ASSERT_TRUE(IsWindow(dialog.hwnd()));
    EXPECT_TRUE(dialog.window().IsVisible());
    press(WM_CHAR, '6');
    EXPECT_EQ(dialog.ItemText(IDC_CODE), "6");
}

}  // namespace
}  // namespace tickra
