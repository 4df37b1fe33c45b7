#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "res/resource.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

HWND TickerIn(HWND taskbar) {
    return FindWindowExW(taskbar, nullptr, CTextProgressCtrl::kClassName, nullptr);
}

std::wstring Text(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

TEST(EveryTaskbar, TickersFollowTheChoiceAndTheSecondaryTaskbar) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "[Tickra]\r\nTaskbars=secondary\r\n");
    tools::ClassicTaskbar primary, secondary;
    ASSERT_TRUE(primary.Create({}));
    tools::ClassicTaskbarLayout second;
    second.secondary = true;
    second.notify_size = 80;  // the clock
    second.bounds = {0, 0, 1280, 30};
    ASSERT_TRUE(secondary.Create(second));
    const RECT full_rebar = ScreenRect(primary.rebar()), first_list = ScreenRect(secondary.rebar());
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.quote_host = testing::SimulatorHost();  // a quote, when there is a simulator
    folder.WriteFile("code.ini", "[600000]\r\n");
    CTickraDlg dialog("", services);
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    boxes.clear();
    auto ticks = [&dialog](int count) {
        for (int i = 0; i < count; ++i) {
            dialog.OnRefreshTick();
        }
    };

    EXPECT_EQ(TickerIn(primary.taskbar()), nullptr);
    EXPECT_EQ(ScreenRect(primary.rebar()).right, full_rebar.right) << "the ReBar keeps its width";
    const HWND ticker = TickerIn(secondary.taskbar());
    ASSERT_NE(ticker, nullptr);
    EXPECT_LE(ScreenRect(secondary.rebar()).right, ScreenRect(ticker).left);
    EXPECT_LE(ScreenRect(ticker).right, ScreenRect(secondary.notify()).left);
    EXPECT_FALSE(CNProgressBar(testing::RecordingMessageBox(&boxes)).enabled())
        << "a second copy finds the ticker in the secondary taskbar";
    EXPECT_EQ(boxes.size(), 1u);

    SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_TASKBARS_ALL, 0);
    ticks(2);
    ASSERT_NE(TickerIn(primary.taskbar()), nullptr);
    EXPECT_EQ(Text(TickerIn(primary.taskbar())), Text(TickerIn(secondary.taskbar())));
    std::ifstream ini(folder.path() + "\\tickra.ini");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(ini), {}).find("Taskbars=all"),
              std::string::npos);
    if (const char* artifacts = std::getenv("TICKRA_ARTIFACTS");
        artifacts && testing::TickAndWait(dialog)) {
        for (HWND taskbar : {primary.taskbar(), secondary.taskbar()}) {
            RedrawWindow(taskbar, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        dialog.ticker_hosts()->MatchTaskbarColour();
        for (CNProgressBar* host : dialog.ticker_hosts()->all()) {
            testing::PumpUntil([host] { return !host->rereading_colours(); });
        }
        testing::SaveScreen(std::string(artifacts) + "/two_taskbars.bmp");
    }

    // The card opens beside a taskbar's ticker as beside a ticker of its own.
    const RECT place = ScreenRect(TickerIn(secondary.taskbar()));
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    SendMessageW(TickerIn(secondary.taskbar()), WM_MOUSEMOVE, 0, 0);
    SendMessageW(TickerIn(secondary.taskbar()), WM_MOUSEHOVER, 0, 0);
    const HWND card = FindWindowW(CQuoteCard::kClassName, nullptr);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(IsWindowVisible(card));
    EXPECT_NE(Text(card).find(L"600000"), std::wstring::npos);
    SendMessageW(TickerIn(secondary.taskbar()), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(card));

    secondary.Destroy();
    ticks(2);
    EXPECT_NE(TickerIn(primary.taskbar()), nullptr) << "the primary's ticker goes on";
    ASSERT_TRUE(secondary.Create(second));
    ticks(2);
    EXPECT_NE(TickerIn(secondary.taskbar()), nullptr) << "a taskbar made again gets one";
    EXPECT_EQ(boxes.size(), 1u) << "no box when a taskbar goes";

    dialog.Teardown();
    EXPECT_EQ(ScreenRect(secondary.rebar()).right, first_list.right) << "its room back";
    EXPECT_EQ(ScreenRect(primary.rebar()).right, full_rebar.right);
}

}  // namespace
}  // namespace tickra
