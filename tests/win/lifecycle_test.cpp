// Messages that reach the main dialog at awkward times: while start-up waits in a message box,
// and after Exit while a nested loop still runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tray/tray_icon_win.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

using testing::MessageBoxRecord;
using testing::ScopedWorkingDirectory;

// A start-up box (a running copy's warning) that, while up, gets what a user or the shell may
// send then, and delivers the dialog's posted commands as a box's own loop would.
struct StartUpBoxTest : ::testing::TestWithParam<UINT> {
    ScopedWorkingDirectory folder;
    std::vector<MessageBoxRecord> boxes;
    std::unique_ptr<CTickraDlg> dialog;
    int commands_delivered = 0;

    void Start() {
        DialogServices services = testing::TestServices(&boxes);
        services.message_box = [this](HWND, std::string_view text, std::string_view, UINT) {
            boxes.push_back({std::string(text), "", 0});
            HWND hwnd = dialog->hwnd();
            SendMessageW(hwnd, TaskbarCreatedMessage(), 0, 0);  // the shell starts late
            SendMessageW(hwnd, WM_TIMER, kRefreshTimerId, 0);
            PostMessageW(hwnd, WM_COMMAND, GetParam(), 0);
            MSG message;
            while (commands_delivered < 50 &&
                   PeekMessageW(&message, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
                ++commands_delivered;
                DispatchMessageW(&message);
            }
            return IDOK;
        };
        dialog = std::make_unique<CTickraDlg>("", services);
        ASSERT_TRUE(dialog->Create());
    }
};

TEST_P(StartUpBoxTest, ACommandDuringTheBoxRunsOnceAfterStartUp) {
    CNProgressBar running_copy(testing::RecordingMessageBox(&boxes));
    Start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "程序已经运行,不需再启动.");
    EXPECT_EQ(commands_delivered, 1) << "the command is not posted back into the box's loop";
    if (GetParam() == ID_TRAY_SETTINGS) {
        EXPECT_TRUE(testing::PumpUntil([this] { return dialog->window().IsVisible(); }));
    } else {
        EXPECT_TRUE(testing::PumpUntil([this] { return dialog->hwnd() == nullptr; }));
    }
}

INSTANTIATE_TEST_SUITE_P(TrayCommands, StartUpBoxTest,
                         ::testing::Values(ID_TRAY_SETTINGS, ID_TRAY_EXIT));

TEST(MainDialogLifecycle, MessagesAfterExitInsideTheAboutBoxFindNothingFreed) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", "[600000]\r\n");
    std::vector<MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    bool about_ran = false;
    testing::RunInsideNextLoop([&] {
        HWND main = dialog.hwnd();
        testing::RunInsideNextLoop([&, main] {
            about_ran = true;
            HWND about = FindWindowW(L"#32770", Widen("关于 Tickra").c_str());
            SendMessageW(main, WM_COMMAND, ID_TRAY_EXIT, 0);
            EXPECT_TRUE(IsWindow(main)) << "the modal dialog ends when its loop does";
            SendMessageW(main, TaskbarCreatedMessage(), 0, 0);
            SendMessageW(main, WM_TIMER, kRefreshTimerId, 0);
            SendMessageW(main, kMailboxMessage, 0, 0x10);
            SendMessageW(main, WM_COMMAND, ID_TRAY_SETTINGS, 0);
            EXPECT_FALSE(IsWindowVisible(main)) << "nothing runs after Exit";
            SendMessageW(about, WM_COMMAND, IDOK, 0);
        });
        SendMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(about_ran);
    EXPECT_EQ(dialog.ticker_host(), nullptr);
}

bool box_timed_out = false;

TEST(MainDialogLifecycle, ExitFromTheTrayEndsABoxTheDialogHasOpen) {
    ScopedWorkingDirectory folder;
    std::vector<MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.message_box = ui::SystemMessageBox();
    CTickraDlg dialog("", services);
    HWND box = nullptr;
    testing::RunInsideNextLoop([&] {
        HWND main = dialog.hwnd();
        testing::RunInsideNextLoop([&, main] {
            box = FindWindowW(L"#32770", L"Tickra");
            box = box == main ? FindWindowExW(nullptr, main, L"#32770", L"Tickra") : box;
            SendMessageW(main, WM_COMMAND, ID_TRAY_EXIT, 0);
            // Without Exit's help the box would wait for the user: give it a way out.
            box_timed_out = false;
            SetTimer(box, 1, 5000, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
                box_timed_out = true;
                EndDialog(hwnd, IDOK);
            });
        });
        SendMessageW(main, WM_COMMAND, IDC_APPLY, 0);  // no code: "先输入股票代码。"
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_NE(box, nullptr);
    EXPECT_FALSE(box_timed_out) << "the box closed with Exit, not by itself";
}

// Another program posts, or sends from its own thread, what only the system may: none of it
// ends a window, closes the mailbox (quotes would end as network trouble) or is read as a pointer.
TEST(MainDialogLifecycle, ForgedMessagesEndNothingAndReadNoPointer) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", "[600000]\r\n");
    std::vector<MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    const HWND ticker = dialog.ticker_host()->hwnd(), own = GetParent(ticker);
    const HWND targets[] = {dialog.hwnd(), dialog.chart_window()->hwnd(), ticker, own};
    const UINT forged[] = {WM_INITDIALOG, WM_NOTIFY, WM_DESTROY, WM_NCDESTROY, WM_CLOSE, WM_QUIT};
    for (HWND target : targets) {
        for (UINT message : forged) {
            PostMessageW(target, message, 0, 0x10);
        }
        SendMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    std::atomic<bool> sent{false};
    std::thread other([&] {
        for (HWND target : targets) {
            for (UINT message : forged) {
                SendMessageTimeoutW(target, message, 0, 0x10, SMTO_BLOCK, 5000, nullptr);
            }
        }
        sent = true;
    });
    EXPECT_TRUE(testing::PumpUntil([&] { return sent.load(); }));
    other.join();
    ASSERT_TRUE(testing::TickAndWait(dialog)) << "the answer comes back through the mailbox";
    EXPECT_EQ(dialog.ticker_host()->hwnd(), ticker);
    EXPECT_TRUE(IsWindow(targets[0]) && IsWindow(targets[1]) && IsWindowVisible(own));
    EXPECT_NE(ui::Window(ticker).Text().find("600000"), std::string::npos);
}

bool menu_timed_out = false;

// Exit ends the ticker's menu, whose loop would otherwise wait for the user.
TEST(MainDialogLifecycle, ExitEndsTheTickersMenu) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", "[600000]\r\n");
    std::vector<MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    bool menu_open = false;
    testing::RunInsideNextLoop([&] {
        HWND main = dialog.hwnd();
        testing::RunInsideNextLoop([&, main] {
            menu_open = FindWindowW(L"#32768", nullptr) != nullptr;
            PostMessageW(main, WM_COMMAND, ID_TRAY_EXIT, 0);
            // Without Exit's help the menu would wait for the user: give it a way out.
            menu_timed_out = false;
            SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR timer, DWORD) {
                KillTimer(nullptr, timer);
                menu_timed_out = true;
                EndMenu();
            });
        });
        PostMessageW(dialog.ticker_host()->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(menu_open);
    EXPECT_FALSE(menu_timed_out) << "the menu closed with Exit, not by itself";
}

TEST(MainDialogLifecycle, TheAnnouncementPanelForgetsItsWindowWithTheDialog) {
    ScopedWorkingDirectory folder;
    std::vector<MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_NE(dialog.announcement_panel().hwnd(), nullptr);
    DestroyWindow(dialog.hwnd());
    // A handle kept here would be destroyed again later, whatever window then had its value.
    EXPECT_EQ(dialog.announcement_panel().hwnd(), nullptr);
    EXPECT_EQ(dialog.announcement_panel().fallback(), nullptr);
}

}  // namespace
}  // namespace tickra
