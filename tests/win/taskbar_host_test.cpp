#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "taskbar/n_progress_bar.h"
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
        return std::make_unique<CNProgressBar>(nullptr, testing::RecordingMessageBox(&boxes));
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

TEST_F(TaskbarHostTest, AVanishedShellIsLeftAlone) {
    const auto host = Host();
    taskbar.Destroy();  // the shell restarted: its windows and the ticker are gone
    EXPECT_EQ(host->hwnd(), nullptr);
    host->KeepInPlace();
    host->ApplyTickerState(nullptr);
}

TEST(TaskbarHost, WithoutTheBandsItSaysWhatIsMissing) {
    std::vector<MessageBoxRecord> boxes;
    CNProgressBar host(nullptr, testing::RecordingMessageBox(&boxes));
    EXPECT_FALSE(host.enabled());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "ReBarWindow32");
    EXPECT_EQ(boxes[0].caption, "Can't find...");
    EXPECT_EQ(boxes[1].text, "TrayNotifyWnd");
    EXPECT_EQ(boxes[1].caption, "Can't find...");
}

}  // namespace
}  // namespace tickra
