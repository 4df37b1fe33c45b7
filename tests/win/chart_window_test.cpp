// The intraday chart window as the ticker drives it, and the help link.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "win/simulated_dialog.h"

namespace tickra {
namespace {

using namespace testing_dialog;

TEST_F(SimulatedDialogTest, AClickOnTheTickerShowsTheChartAtTheNextTick) {
    Start();
    Tick();
    EXPECT_FALSE(ChartShown());
    ClickTicker();
    Tick();
    ASSERT_TRUE(ChartShown());
    EXPECT_TRUE(dialog->chart_window()->has_image());
    EXPECT_EQ(dialog->chart_window()->image_size(), (Size{300, 200}));
    EXPECT_GE(GetWindowLongW(dialog->chart_window()->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 1);

    RECT ticker, chart;
    GetWindowRect(dialog->ticker_host()->hwnd(), &ticker);
    GetWindowRect(dialog->chart_window()->hwnd(), &chart);
    EXPECT_EQ(chart.bottom, ticker.top - 10) << "10 pixels above the ticker";
    EXPECT_LE(std::abs((chart.left + chart.right) - (ticker.left + ticker.right)), 1) << "centred";

    ClickTicker();
    ClickTicker();  // two clicks between ticks change nothing
    Tick();
    EXPECT_TRUE(ChartShown());

    SendMessageW(dialog->chart_window()->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(ChartShown());
    EXPECT_FALSE(dialog->ticker_host()->chart_requested());
    Tick();
    EXPECT_FALSE(ChartShown());
}

TEST_F(SimulatedDialogTest, ReturnAndEscapeCloseTheChartWindowAsItsCloseBoxDoes) {
    Start();
    HWND chart = dialog->chart_window()->hwnd();
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        ClickTicker();
        Tick();
        ASSERT_TRUE(ChartShown()) << key;
        // As the modal loop routes a key pressed in the window.
        MSG down{};
        down.hwnd = chart;
        down.message = WM_KEYDOWN;
        down.wParam = key;
        down.lParam = 1;
        if (!ui::Dialog::RouteMessage(down)) {
            TranslateMessage(&down);
            DispatchMessageW(&down);
        }
        ASSERT_TRUE(IsWindow(chart)) << key;
        EXPECT_FALSE(ChartShown()) << key;
        EXPECT_FALSE(dialog->ticker_host()->chart_requested()) << key;
    }
    ClickTicker();
    Tick();
    EXPECT_TRUE(ChartShown()) << "a click brings the chart back";
}

TEST_F(SimulatedDialogTest, APictureTooLargeToDecodeBlanksTheChart) {
    Start();
    ClickTicker();
    Tick();
    ASSERT_TRUE(dialog->chart_window()->has_image());
    Sim("scenario?code=600000&chart=huge");  // 32768 x 32768: gigabytes once decoded
    Tick();
    EXPECT_FALSE(dialog->chart_window()->has_image()) << "the last picture may be another stock's";
}

TEST_F(SimulatedDialogTest, AnErrorPageLeavesTheChartBlank) {
    Sim("scenario?code=600000&chart=html");
    Start();
    ClickTicker();
    Tick();
    EXPECT_TRUE(ChartShown());
    EXPECT_FALSE(dialog->chart_window()->has_image());
    EXPECT_TRUE(boxes.empty()) << "no file error is reported";
    Sim("scenario?code=600000&chart=alpha");
    Tick();
    EXPECT_TRUE(dialog->chart_window()->has_image()) << "the next tick tries again";
}

TEST_F(SimulatedDialogTest, TheHelpLinkOpensTheHelpPage) {
    Start();
    // The link control reports a click to the dialog as a notification.
    NMHDR click{dialog->Item(IDC_HELP_LINK).hwnd(), IDC_HELP_LINK, NM_CLICK};
    SendMessageW(dialog->hwnd(), WM_NOTIFY, IDC_HELP_LINK, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(opened, std::vector<std::string>{"http://help.test/tickra.html"});
}

}  // namespace
}  // namespace tickra
