#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "taskbar/n_progress_bar_win.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

using testing::MessageBoxRecord;

// Screen rectangle, or a child's rectangle in its parent's client coordinates.
RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
RECT ParentRect(HWND child) {
    RECT r = ScreenRect(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int TickersIn(HWND taskbar) {
    int count = 0;
    for (HWND h = FindWindowExW(taskbar, nullptr, CTextProgressCtrl::kClassName, nullptr);
         h != nullptr; h = FindWindowExW(taskbar, h, CTextProgressCtrl::kClassName, nullptr)) {
        ++count;
    }
    return count;
}

struct TaskbarHostTest : ::testing::Test {
    tools::ClassicTaskbar taskbar;
    std::vector<MessageBoxRecord> boxes;

    void SetUp() override { ASSERT_TRUE(taskbar.Create({})); }
    std::unique_ptr<CNProgressBar> Host() {
        return std::make_unique<CNProgressBar>(testing::RecordingMessageBox(&boxes));
    }
    int NotifyLeft() { return ScreenRect(taskbar.notify()).left; }
    int RebarRight() { return ScreenRect(taskbar.rebar()).right; }
};

TEST_F(TaskbarHostTest, TickerSitsInA220PixelGapBesideA30PixelBand) {
    const auto host = Host();
    ASSERT_TRUE(host->enabled());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetParent(host->hwnd()), taskbar.taskbar());
    EXPECT_EQ(NotifyLeft() - RebarRight(), 220);
    const RECT ticker = ParentRect(host->hwnd());
    EXPECT_EQ(ticker.left, RebarRight());
    EXPECT_EQ(ticker.top, 5);
    EXPECT_EQ(ticker.right - ticker.left, 215);
    EXPECT_EQ(ticker.bottom - ticker.top, 22);
}

TEST_F(TaskbarHostTest, KeepInPlaceFollowsAGrowingNotificationArea) {
    const auto host = Host();
    const RECT notify = ParentRect(taskbar.notify());
    MoveWindow(taskbar.notify(), notify.left - 60, 0, notify.right - notify.left + 60, 30, TRUE);
    host->KeepInPlace();
    EXPECT_EQ(NotifyLeft() - RebarRight(), 220);
    EXPECT_EQ(ParentRect(host->hwnd()).left, RebarRight());
}

TEST_F(TaskbarHostTest, DestructionGivesTheRebarItsRoomBack) {
    const int before = RebarRight();
    Host().reset();
    EXPECT_EQ(RebarRight(), NotifyLeft());
    EXPECT_EQ(RebarRight(), before);
    EXPECT_EQ(TickersIn(taskbar.taskbar()), 0);
}

TEST_F(TaskbarHostTest, ASecondCopyIsRefusedAndTouchesNothing) {
    const auto first = Host();
    const RECT rebar = ScreenRect(taskbar.rebar());
    const auto second = Host();
    EXPECT_FALSE(second->enabled());
    EXPECT_EQ(second->hwnd(), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "程序已经运行,不需再启动.");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(TickersIn(taskbar.taskbar()), 1);
    const RECT after = ScreenRect(taskbar.rebar());
    EXPECT_TRUE(EqualRect(&rebar, &after));
}

TEST_F(TaskbarHostTest, LeftClicksToggleTheChartRequest) {
    const auto host = Host();
    EXPECT_FALSE(host->chart_requested());
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(host->chart_requested());
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(host->chart_requested());
    SendMessageW(host->hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(host->chart_requested());
}

// The messages the taskbar is sent while a test looks: a hung shell would hold Tickra for each.
std::vector<UINT> taskbar_log;
WNDPROC taskbar_proc = nullptr;
LRESULT CALLBACK RecordingTaskbarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    taskbar_log.push_back(message);
    return CallWindowProcW(taskbar_proc, hwnd, message, wparam, lparam);
}

TEST_F(TaskbarHostTest, NoMessageFromOutsideReachesTheProgressBarOrTheShell) {
    const auto host = Host();
    taskbar_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        taskbar.taskbar(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingTaskbarProc)));
    // Any program may send these; PBM_GETRANGE makes the progress bar write through the pointer.
    PBRANGE range{-7, -7};
    for (UINT base : {UINT{WM_USER}, UINT{WM_APP}}) {
        for (UINT message = base; message < base + 0x100; ++message) {
            SendMessageW(host->hwnd(), message, FALSE, reinterpret_cast<LPARAM>(&range));
        }
    }
    EXPECT_EQ(range.iLow + range.iHigh, -14);
    // DefWindowProc hands these on to the parent; a mouse over the ticker is enough.
    const UINT forwarded[] = {WM_SETCURSOR,  WM_MOUSEACTIVATE, WM_CONTEXTMENU,
                              WM_MOUSEWHEEL, WM_MOUSEHWHEEL,   WM_APPCOMMAND};
    for (UINT message : forwarded) {
        SendMessageW(host->hwnd(), message, reinterpret_cast<WPARAM>(host->hwnd()), 0x50005);
    }
    SetWindowLongPtrW(taskbar.taskbar(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(taskbar_proc));
    for (UINT message : forwarded) {
        EXPECT_EQ(std::count(taskbar_log.begin(), taskbar_log.end(), message), 0) << message;
    }
}

// Repaints asked for with no window, which would repaint the whole desktop.
int desktop_repaints = 0;
BOOL WINAPI RecordingRedrawWindow(HWND hwnd, const RECT*, HRGN, UINT) {
    desktop_repaints += hwnd == nullptr ? 1 : 0;
    return TRUE;
}

TEST_F(TaskbarHostTest, AVanishedShellIsLeftAlone) {
    const auto host = Host();
    taskbar.Destroy();  // the shell restarted: its windows and the ticker are gone
    EXPECT_EQ(host->hwnd(), nullptr);
    desktop_repaints = 0;
    const testing::ImportPatch patch("user32.dll", "RedrawWindow",
                                     reinterpret_cast<void*>(&RecordingRedrawWindow));
    ASSERT_TRUE(patch.patched());
    for (int tick = 0; tick < 12; ++tick) {  // through every re-embedding try and after
        host->KeepInPlace();
    }
    host->ApplyTickerState(TickerState{}, nullptr);
    EXPECT_EQ(desktop_repaints, 0);
}

TEST(TaskbarHost, UnderWineWithoutBandsTheTickerGetsAWindowOfItsOwn) {
    std::vector<MessageBoxRecord> boxes;
    CNProgressBar host(testing::RecordingMessageBox(&boxes));
    ASSERT_TRUE(host.enabled());
    EXPECT_TRUE(boxes.empty()) << "no \"Can't find...\" under Wine";
    EXPECT_EQ(host.placement(), CNProgressBar::Placement::kStandalone);
    HWND window = host.standalone_window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(host.hwnd()), window);
    RECT work, placed;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.right, work.right - 5);
    EXPECT_LE(placed.bottom, work.bottom - 5);
    EXPECT_EQ(placed.right - placed.left, 215);
    EXPECT_EQ(placed.bottom - placed.top, 22);
    // A tray bar shows in its own time: the window clears it, though no check is due.
    tools::ClassicTaskbarLayout raised;
    raised.bottom_margin = 100;
    tools::ClassicTaskbar bar;
    ASSERT_TRUE(bar.Create(raised));
    EXPECT_TRUE(testing::PumpUntil([&] {
        return GetWindowRect(window, &placed) && placed.bottom == ScreenRect(bar.taskbar()).top - 5;
    }));

    CNProgressBar second(testing::RecordingMessageBox(&boxes));
    EXPECT_FALSE(second.enabled());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "程序已经运行,不需再启动.");
}

// The task list gets back the room its taskbar has when the ticker goes, whatever came since.
TEST(TaskbarHost, ASecondaryTaskListReachesItsClockAgain) {
    const struct {
        const char* what;
        int clock_before, found_width, width;
    } cases[] = {{"grown", 80, 0, 1920},
                 {"shrunk", 80, 0, 800},
                 {"a clock came", 0, 0, 1280},
                 {"found shrunk", 80, 300, 1280}};
    for (const auto& c : cases) {
        tools::ClassicTaskbarLayout layout;
        layout.secondary = true;
        layout.notify_size = c.clock_before;
        layout.bounds = {0, 0, 1280, 30};
        tools::ClassicTaskbar bar;
        ASSERT_TRUE(bar.Create(layout));
        const HWND list = bar.rebar(), taskbar = bar.taskbar();
        if (c.found_width > 0) {  // after a run that was killed
            MoveWindow(list, 60, 0, c.found_width, 30, TRUE);
        }
        auto host = std::make_unique<CNProgressBar>(CNProgressBar::Role::kSecondary, taskbar);
        MoveWindow(taskbar, 0, 0, c.width, 30, TRUE);
        HWND clock = bar.notify() ? bar.notify()
                                  : CreateWindowExW(0, L"ClockButton", L"", WS_CHILD | WS_VISIBLE,
                                                    0, 0, 0, 0, taskbar, nullptr, nullptr, nullptr);
        MoveWindow(clock, c.width - 80, 0, 80, 30, TRUE);
        host->KeepInPlace();
        host.reset();
        const RECT back = ParentRect(list);
        EXPECT_EQ(std::pair(back.left, back.right), std::pair(60L, c.width - 80L)) << c.what;
    }
}

// A secondary taskbar's task list may come late, or anew at full width; a host for a taskbar that
// has gone embeds nowhere.
TEST_F(TaskbarHostTest, ASecondaryHostFollowsItsOwnTaskbarOnly) {
    tools::ClassicTaskbarLayout layout;
    layout.secondary = true;
    layout.bounds = {0, 0, 1280, 30};
    layout.task_list = false;
    tools::ClassicTaskbar secondary;
    ASSERT_TRUE(secondary.Create(layout));
    const HWND went = secondary.taskbar();
    secondary.Destroy();
    EXPECT_EQ(CNProgressBar(CNProgressBar::Role::kSecondary, went).hwnd(), nullptr);

    ASSERT_TRUE(secondary.Create(layout));
    CNProgressBar host(CNProgressBar::Role::kSecondary, secondary.taskbar());
    for (const char* when : {"late", "anew"}) {
        secondary.RemakeTaskList();
        host.KeepInPlace();
        EXPECT_EQ(TickersIn(secondary.taskbar()), 1) << when;
        EXPECT_EQ(ScreenRect(secondary.notify()).left - ScreenRect(secondary.rebar()).right, 220)
            << when;
    }
}

TEST(TaskbarHost, OnWindows11NothingIsMovedAndTheTickerIsCentred) {
    tools::ClassicTaskbarLayout layout;
    layout.windows11 = true;
    layout.thickness = 48;
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(layout));
    const RECT rebar = ScreenRect(taskbar.rebar());
    std::vector<MessageBoxRecord> boxes;
    {
        CNProgressBar host(testing::RecordingMessageBox(&boxes));
        ASSERT_TRUE(host.enabled());
        EXPECT_EQ(host.placement(), CNProgressBar::Placement::kWindows11);
        const RECT ticker = ParentRect(host.hwnd());
        const RECT notify = ParentRect(taskbar.notify());
        EXPECT_EQ(ticker.right, notify.left - 5);
        EXPECT_EQ(ticker.top, 48 - ticker.bottom) << "vertically centred";
        EXPECT_EQ(ticker.right - ticker.left, 215);

        MoveWindow(taskbar.notify(), notify.left - 100, 0, notify.right - notify.left + 100, 48,
                   TRUE);
        host.KeepInPlace();
        EXPECT_EQ(ParentRect(host.hwnd()).right, notify.left - 105) << "follows the tray";
        const RECT during = ScreenRect(taskbar.rebar());
        EXPECT_TRUE(EqualRect(&rebar, &during)) << "the ReBar is never moved";
    }
    const RECT after = ScreenRect(taskbar.rebar());
    EXPECT_TRUE(EqualRect(&rebar, &after)) << "and nothing is restored";
}

TEST_F(TaskbarHostTest, AfterAShellRestartTheTickerIsEmbeddedAgainOnce) {
    const auto host = Host();
    // A broadcast without a restart changes nothing.
    host->RequestReembed();
    host->KeepInPlace();
    EXPECT_EQ(TickersIn(taskbar.taskbar()), 1);

    for (bool announced : {true, false}) {
        taskbar.Destroy();
        host->KeepInPlace();  // no taskbar yet: nothing to do, nothing breaks
        ASSERT_TRUE(taskbar.Create({}));
        if (announced) {
            host->RequestReembed();  // "TaskbarCreated"
        }
        host->KeepInPlace();
        EXPECT_EQ(TickersIn(taskbar.taskbar()), 1) << announced;
        ASSERT_NE(host->hwnd(), nullptr);
        EXPECT_EQ(GetParent(host->hwnd()), taskbar.taskbar());
        EXPECT_EQ(NotifyLeft() - RebarRight(), 220) << announced;
    }
}

TEST(TaskbarHost, SizesFollowTheTaskbarsScaling) {
    tools::ClassicTaskbarLayout layout;
    layout.thickness = 45;  // a taskbar at 150 %
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(layout));
    std::vector<MessageBoxRecord> boxes;
    CNProgressBar host(testing::RecordingMessageBox(&boxes));
    auto gap = [&] {
        return ScreenRect(taskbar.notify()).left - ScreenRect(taskbar.rebar()).right;
    };
    ASSERT_EQ(gap(), 220);

    host.set_dpi_for_testing(144);
    host.KeepInPlace();
    EXPECT_EQ(gap(), 330);
    RECT ticker = ParentRect(host.hwnd());
    EXPECT_EQ(ticker.right - ticker.left, 323);
    EXPECT_EQ(ticker.bottom - ticker.top, 35);

    host.set_dpi_for_testing(96);
    host.KeepInPlace();
    EXPECT_EQ(gap(), 220);
    ticker = ParentRect(host.hwnd());
    EXPECT_EQ(ticker.right - ticker.left, 215);
}

}  // namespace
}  // namespace tickra
