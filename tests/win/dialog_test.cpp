#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "net/http_client_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tickra/version.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "ui/list_view.h"
#include "unit/test_support.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

using testing::ColumnHeading;
using testing::ColumnWidth;
using testing::Rows;
using testing::ScopedWorkingDirectory;
using testing::ViewRows;

// Services that reach the simulator started for this test run, at a fixed clock.
DialogServices SimulatorServices(LocalTime* now, std::vector<testing::MessageBoxRecord>* boxes) {
    DialogServices services = testing::TestServices(boxes);
    const char* port = std::getenv("TICKRA_SIM_PORT");
    services.quote_host = std::string("127.0.0.1:") + (port ? port : "1");
    services.clock = [now] { return *now; };
    return services;
}

void SimControl(const std::string& what) {
    const char* port = std::getenv("TICKRA_SIM_PORT");
    HttpRequest("", "POST", std::string("127.0.0.1:") + (port ? port : "1"), "/_sim/" + what);
}

Rows MessageLines(const CTickraDlg& dialog) {
    const ui::ListView view(dialog.Item(IDC_MESSAGE_LIST).hwnd());
    Rows rows;
    for (int i = 0; i < view.Count(); ++i) {
        rows.push_back({view.ItemText(i, 0), view.ItemText(i, 1)});
    }
    return rows;
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
        std::vector<testing::MessageBoxRecord> boxes;
        CTickraDlg dialog("", testing::TestServices(&boxes));
        ASSERT_TRUE(dialog.Create()) << c.what;
        ASSERT_TRUE(testing::WaitIdle(dialog)) << c.what;  // the rows come from a worker
        EXPECT_EQ(ViewRows(dialog), c.rows) << c.what;
        EXPECT_EQ(dialog.watch_list().size(), c.rows.size()) << c.what;
        EXPECT_EQ(dialog.code_ini_path(), folder.path() + "\\code.ini");
    }
}

TEST(MainDialog, EightySectionsLoadEveryRow) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", testing::SixDigitSections(80));
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    const Rows rows = ViewRows(dialog);
    ASSERT_EQ(rows.size(), 80u);
    EXPECT_EQ(rows.front()[0], "600000");
    EXPECT_EQ(rows.back()[0], "600079");
}

TEST(MainDialog, StartsWithItsControlsSetUp) {
    ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());

    EXPECT_EQ(dialog.window().Text(), "Tickra");
    EXPECT_EQ(dialog.ItemText(IDC_ROTATION), "1");
    EXPECT_EQ(dialog.ItemText(IDC_BREAK_BELOW), "0");
    EXPECT_EQ(dialog.ItemText(IDC_CROSS_ABOVE), "0");
    EXPECT_EQ(dialog.ItemText(IDC_BALANCE), "0");
    EXPECT_EQ(dialog.ItemText(IDC_APPLY), "添加");
    EXPECT_FALSE(dialog.Item(IDC_CANCEL_EDIT).IsVisible());
    EXPECT_TRUE(IsWindow(dialog.Item(IDC_HELP_LINK).hwnd()));
    EXPECT_TRUE(IsWindow(dialog.Item(IDC_AD_PANEL).hwnd()));
    EXPECT_FALSE(dialog.announcement_panel().has_browser()) << "made with the first announcement";

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
    EXPECT_EQ(Narrow(about), "关于...");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
}

TEST(MainDialog, TipsSwitchIsTheArgumentSlashBS) {
    ScopedWorkingDirectory folder;
    for (auto [arguments, on] :
         {std::pair{"/BS", true}, std::pair{"/bs", true}, std::pair{"/Bs", true},
          std::pair{"/BS x", false}, std::pair{"", false}}) {
        std::vector<testing::MessageBoxRecord> boxes;
        CTickraDlg dialog(arguments, testing::TestServices(&boxes));
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(dialog.tips_switch(), on) << arguments;
    }
}

TEST(MainDialog, StaysHiddenUntilSettingsAndCloseOnlyHides) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", "[600000]\r\nunder=9\r\n");
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    bool ran = false;
    testing::RunInsideNextLoop([&] {
        ran = true;
        ASSERT_TRUE(testing::WaitIdle(dialog));
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

TEST(MainDialog, SystemMenuOpensTheAboutBox) {
    ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    std::string version;
    testing::RunInsideNextLoop([&] {
        HWND about = FindWindowW(L"#32770", Widen("关于 Tickra").c_str());
        ASSERT_NE(about, nullptr);
        EnumChildWindows(
            about,
            [](HWND child, LPARAM out) {
                const std::string text = ui::Window(child).Text();
                if (text.find(TICKRA_VERSION_TEXT) != std::string::npos) {
                    *reinterpret_cast<std::string*>(out) = text;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&version));
        SendMessageW(about, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(version, std::string("Tickra 股票行情 ") + TICKRA_VERSION_TEXT);
    EXPECT_TRUE(IsWindow(dialog.hwnd())) << "OK closes only the About box";
}

TEST(MainDialog, ReturnAndEscapeDoNothing) {
    ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
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

TEST(MainDialog, TicksShowGoodSuspendedAndUnknownStocks) {
    if (!std::getenv("TICKRA_SIM_PORT")) {
        GTEST_SKIP() << "needs the market simulator (run through ctest)";
    }
    SimControl("reset");
    SimControl("price?code=600000&close=10&price=9.4");
    SimControl("scenario?code=600001&case=suspended");
    ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini",
                     "[600000]\r\nunder=9.50\r\nsale=9.80\r\n[600001]\r\nunder=5\r\n"
                     "[900001]\r\n");
    LocalTime now = testing::At(10, 0, 0);
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", SimulatorServices(&now, &boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));

    // Start-up checks row 0: below its break-below and its balance price since yesterday.
    EXPECT_EQ(dialog.ticker_state().text, "浦发银行 9.40 -6.00%");
    EXPECT_EQ(dialog.ticker_state().tone, Tone::kDown);
    EXPECT_TRUE(dialog.ticker_state().flags.break_below);
    EXPECT_EQ(dialog.watch_list()[0].entry->previous_price, 9.4f);
    EXPECT_EQ(MessageLines(dialog),
              (Rows{{"平衡价提示：浦发银行下破平衡价,平衡价是9.800元,当前9.400元", "10:00:00"},
                    {"价格下破：浦发银行设定价是9.500元,当前9.400元", "10:00:00"}}));

    struct Tick {
        const char* text;
        Tone tone;
        bool break_below;
    };
    const Tick ticks[] = {
        {"600001 停牌.", Tone::kUnchanged, true},
        {"900001 代码有误.", Tone::kMissing, false},
        {"浦发银行 9.40 -6.00%", Tone::kDown, true},
    };
    for (const Tick& t : ticks) {
        now = testing::At(10, 0, 2);
        ASSERT_TRUE(testing::TickAndWait(dialog));
        EXPECT_EQ(dialog.ticker_state().text, t.text);
        EXPECT_EQ(dialog.ticker_state().tone, t.tone) << t.text;
        EXPECT_EQ(dialog.ticker_state().flags.break_below, t.break_below) << t.text;
    }
    EXPECT_EQ(MessageLines(dialog).size(), 2u) << "no new crossing";
    EXPECT_EQ(dialog.watch_list()[1].entry->history[50], 0.0f);
    EXPECT_EQ(dialog.watch_list()[0].entry->history[50], 9.4f);
    EXPECT_EQ(dialog.watch_list()[0].entry->minute_stamp, 600);
}

// The dialog over a code.ini of its own, its feed the simulator, at a fixed clock.
struct SimulatedFeedTest : ::testing::Test {
    ScopedWorkingDirectory folder;
    LocalTime now = testing::At(10, 0, 0);
    std::vector<testing::MessageBoxRecord> boxes;
    std::unique_ptr<CTickraDlg> dialog;

    void SetUp() override {
        if (!std::getenv("TICKRA_SIM_PORT")) {
            GTEST_SKIP() << "needs the market simulator (run through ctest)";
        }
        SimControl("reset");
    }
    void TearDown() override { SimControl("reset"); }
    void Start(const std::string& ini,
               const std::function<void(DialogServices&)>& adjust = nullptr) {
        folder.WriteFile("code.ini", ini);
        DialogServices services = SimulatorServices(&now, &boxes);
        if (adjust) {
            adjust(services);
        }
        dialog = std::make_unique<CTickraDlg>("", services);
        ASSERT_TRUE(dialog->Create());
        ASSERT_TRUE(testing::PumpUntil([this] { return !dialog->watch_list().empty(); }));
    }
};

TEST_F(SimulatedFeedTest, ASilentFeedTurnsTheLastGoodLineGrey) {
    SimControl("price?code=600000&close=10&price=9.4");
    // The feed falls silent after start-up: its transfers fail as a silent host's do, at once
    // here rather than after their bounds (the client's bounds have tests of their own).
    auto silent = std::make_shared<std::atomic<bool>>(false);
    Start("[600000]\r\n[600001]\r\n", [silent](DialogServices& services) {
        services.http = [silent, http = services.http](
                            std::string_view body, std::string_view verb, std::string_view host,
                            std::string_view object, std::string_view headers, TransferKind kind,
                            TransferControl& control) {
            return *silent ? HttpAnswer{} : http(body, verb, host, object, headers, kind, control);
        };
    });
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    *silent = true;
    ASSERT_TRUE(testing::TickAndWait(*dialog));  // row 1: never reached
    EXPECT_EQ(dialog->ticker_state().text, "600001 网络不通.");
    EXPECT_EQ(dialog->ticker_state().tone, Tone::kStale);
    ASSERT_TRUE(testing::TickAndWait(*dialog));  // row 0: reached at start-up
    EXPECT_EQ(dialog->ticker_state().text, "浦发银行 9.40 -6.00%");
    EXPECT_EQ(dialog->ticker_state().tone, Tone::kStale);
    EXPECT_EQ(dialog->watch_list()[0].entry->previous_price, 9.4f);
}

TEST_F(SimulatedFeedTest, ATransferStuckInEndlessHeadersIsGivenUp) {
    SimControl("scenario?code=600000&case=headers");
    SteadyTime elapsed{};
    Start("[600000]\r\n", [&elapsed](DialogServices& services) {
        services.steady_clock = [&elapsed] { return elapsed; };
    });
    elapsed += std::chrono::seconds(14);
    SendMessageW(dialog->hwnd(), WM_TIMER, kRefreshTimerId, 0);
    EXPECT_FALSE(dialog->idle()) << "the start-up check still waits for its headers";
    elapsed += std::chrono::seconds(1);
    SendMessageW(dialog->hwnd(), WM_TIMER, kRefreshTimerId, 0);
    ASSERT_TRUE(testing::WaitIdle(*dialog)) << "the other feeds, which refuse";
    EXPECT_EQ(dialog->ticker_state().text, "600000 网络不通.");
    EXPECT_EQ(dialog->ticker_state().tone, Tone::kStale);
    // The given-up thread still hangs: the next ticks ask nothing and show the trouble at once.
    SendMessageW(dialog->hwnd(), WM_TIMER, kRefreshTimerId, 0);
    EXPECT_TRUE(dialog->idle());
    EXPECT_EQ(dialog->ticker_state().tone, Tone::kStale);
}

TEST_F(SimulatedFeedTest, ATickThatWaitsForTheFeedStillKeepsTheTickerInPlace) {
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create({}));
    SimControl("scenario?code=600000&case=silent&delay=6");
    Start("[600000]\r\n");
    ASSERT_FALSE(dialog->idle()) << "the start-up check waits for the feed";
    // The shell lays itself out again and takes the gap back.
    RECT band;
    GetWindowRect(taskbar.rebar(), &band);
    MapWindowPoints(nullptr, taskbar.taskbar(), reinterpret_cast<POINT*>(&band), 2);
    MoveWindow(taskbar.rebar(), band.left, band.top, band.right - band.left + 220,
               band.bottom - band.top, TRUE);
    SendMessageW(dialog->hwnd(), WM_TIMER, kRefreshTimerId, 0);
    RECT rebar, notify;
    GetWindowRect(taskbar.rebar(), &rebar);
    GetWindowRect(taskbar.notify(), &notify);
    EXPECT_EQ(notify.left - rebar.right, 220);
    dialog.reset();
}

// A feed that fails is left in the same tick; the user's first choice is asked again once its
// wait is over, and a choice from the tray menu is kept and asked at the next tick.
TEST_F(SimulatedFeedTest, AFailedFeedIsLeftAtOnceAndTheFirstChoiceComesBackAfterItsWait) {
    SimControl("feed?name=classic&fault=servererror");
    SimControl("price?code=600000&close=10&price=10.1&feed=sina");
    SimControl("price?code=600000&close=10&price=10.2&feed=tencent");
    SteadyTime elapsed{};
    Start("[600000]\r\n", [&elapsed](DialogServices& services) {
        services.sina_host = services.tencent_host = services.quote_host;
        services.steady_clock = [&elapsed] { return elapsed; };
    });
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    const QuoteFacts& facts = dialog->watch_list()[0].entry->facts;
    EXPECT_EQ(dialog->ticker_state().text, "浦发银行 10.100 1.00%");
    EXPECT_EQ(facts.source, FeedId::kSina);
    SimControl("feed?name=classic&fault=none");
    elapsed += std::chrono::seconds(59);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(facts.source, FeedId::kSina) << "the first choice waits a minute";
    elapsed += std::chrono::seconds(1);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(facts.source, FeedId::kClassic);

    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_SOURCE_TENCENT, 0);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(facts.source, FeedId::kTencent);
    EXPECT_EQ(dialog->ticker_state().text, "浦发银行 10.20 2.00%");
    char sources[64] = {};
    GetPrivateProfileStringA("Tickra", "Sources", "", sources, sizeof(sources),
                             (folder.path() + "\\tickra.ini").c_str());
    EXPECT_STREQ(sources, "tencent,classic,sina,eastmoney");
}

// A feed whose time stops moving in trading time is left as a failing one is.
TEST_F(SimulatedFeedTest, AStaleFeedIsLeftAMinuteAfterItsTimeStopped) {
    now->tm_wday = 3;  // a Wednesday, 10:00
    folder.WriteFile("tickra.ini", "[Tickra]\r\nSources=sina\r\n");
    SimControl("feed?name=sina&fault=stale");  // its time stays where it is now
    SteadyTime elapsed{};
    Start("[600000]\r\n", [&elapsed](DialogServices& services) {
        services.sina_host = services.quote_host;
        services.steady_clock = [&elapsed] { return elapsed; };
    });
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    const QuoteFacts& facts = dialog->watch_list()[0].entry->facts;
    EXPECT_EQ(facts.source, FeedId::kSina);
    elapsed += std::chrono::seconds(59);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(facts.source, FeedId::kSina);
    Sleep(1100);  // a feed whose time went on would carry a newer second now
    elapsed += std::chrono::seconds(1);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(facts.source, FeedId::kClassic);
}

// The limit alerts come after the level alerts, once a crossing; the step is the tray menu's.
TEST_F(SimulatedFeedTest, ALimitReachedLeftAndReachedAgainAlertsEachTime) {
    SimControl("price?code=600000&close=10&price=11");
    Start("[600000]\r\nover=10.50\r\n");
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    for (const char* price : {"10.99", "11"}) {
        SimControl(std::string("price?code=600000&close=10&price=") + price);
        ASSERT_TRUE(testing::TickAndWait(*dialog));
    }
    std::vector<std::string> lines;
    for (const auto& row : MessageLines(*dialog)) {
        lines.push_back(row[0]);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"浦发银行 11.00 涨停", "浦发银行 10.99 开板",
                                               "浦发银行 11.00 涨停",
                                               "价格上穿：浦发银行设定价是10.500元,当前11.000元"}));

    // Unseen until the card opens on the ticker: it tells how many, and lists them.
    EXPECT_EQ(dialog->ticker_state().unseen, 4);
    RECT ticker{};
    GetWindowRect(dialog->ticker_host()->hwnd(), &ticker);
    SetCursorPos((ticker.left + ticker.right) / 2, (ticker.top + ticker.bottom) / 2);
    SendMessageW(dialog->ticker_host()->hwnd(), WM_MOUSEMOVE, 0, 0);
    SendMessageW(dialog->ticker_host()->hwnd(), WM_MOUSEHOVER, 0, 0);
    const std::string card = ui::Window(FindWindowW(CQuoteCard::kClassName, nullptr)).Text();
    EXPECT_NE(card.find("未读提醒 4\r\n10:00:00 浦发银行 11.00 涨停\r\n"), std::string::npos)
        << card;
    EXPECT_EQ(dialog->ticker_state().unseen, 0);
    SetCursorPos(0, 0);

    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_STEP_3, 0);
    char step[8] = {};
    GetPrivateProfileStringA("Alerts", "Step", "", step, sizeof(step),
                             (folder.path() + "\\tickra.ini").c_str());
    EXPECT_STREQ(step, "3");
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(MessageLines(*dialog)[0][0], "浦发银行 涨幅达 +9.00%");
}

TEST_F(SimulatedFeedTest, AHoldingTellsItsPnlUnderTheUsersNameAsTheUserAsks) {
    const std::wstring log = Widen(folder.path() + "\\tray.log");
    tools::ClassicTaskbarLayout layout;
    layout.tray_log = log.c_str();
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(layout));
    SimControl("price?code=600000&close=10.50&price=10.80");
    Start("[600000]\r\nover=10.60\r\ncost=10.000\r\nshares=1000\r\nalias=我的仓位\r\n");
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    auto line = [&] { return ui::Window(dialog->ticker_host()->hwnd()).Text(); };
    EXPECT_EQ(line(), "我的仓位 10.80 2.86%");
    EXPECT_EQ(MessageLines(*dialog)[0][0], "价格上穿：我的仓位设定价是10.600元,当前10.800元");
    EXPECT_TRUE(testing::PumpUntil([&] {
        return Utf8ToProgram(folder.ReadFile("tray.log")).find("我的仓位价格上穿") !=
               std::string::npos;
    })) << "the balloon";

    RECT ticker{};
    GetWindowRect(dialog->ticker_host()->hwnd(), &ticker);
    SetCursorPos((ticker.left + ticker.right) / 2, (ticker.top + ticker.bottom) / 2);
    SendMessageW(dialog->ticker_host()->hwnd(), WM_MOUSEMOVE, 0, 0);
    SendMessageW(dialog->ticker_host()->hwnd(), WM_MOUSEHOVER, 0, 0);
    auto card = [] { return ui::Window(FindWindowW(CQuoteCard::kClassName, nullptr)).Text(); };
    for (const char* told : {"我的仓位 600000\r\n", "\r\n当日盈亏 +300.00\r\n",
                             "\r\n持仓盈亏 +800.00 (+8.00%)\r\n", "\r\n市值 10800.00\r\n"}) {
        EXPECT_NE(card().find(told), std::string::npos) << told << card();
    }
    EXPECT_EQ(card().find("浦发银行"), std::string::npos) << card();

    const std::pair<int, const char*> choices[] = {
        {ID_TRAY_SHOW_PNL, "我的仓位 10.80 2.86% +300"},
        {ID_TRAY_HIDE_AMOUNTS, "我的仓位 10.80 2.86% ***"},
        {ID_TRAY_MONO, "我的仓位 10.80 ▲2.86% ***"},
    };
    for (const auto& [command, shown] : choices) {
        SendMessageW(dialog->hwnd(), WM_COMMAND, command, 0);
        EXPECT_EQ(line(), shown);
    }
    EXPECT_NE(card().find("\r\n当日盈亏 ***\r\n"), std::string::npos) << card();
    SetCursorPos(0, 0);
    for (const char* key : {"ShowPnl", "HideAmounts", "Mono"}) {
        EXPECT_EQ(GetPrivateProfileIntA("Tickra", key, 0, (folder.path() + "\\tickra.ini").c_str()),
                  1)
            << key;
    }
}

// The balloons' texts, each followed by "|", written on the shell's thread before the count.
std::string balloons;
std::atomic<int> balloon_count{0};

BOOL WINAPI RecordingNotifyIcon(DWORD, PNOTIFYICONDATAW data) {
    if ((data->uFlags & NIF_INFO) != 0) {
        balloons += Narrow(data->szInfo) + "|";
        ++balloon_count;
    }
    return TRUE;
}

// Hidden, alerts are listed and counted as ever, but no balloon shows.
TEST_F(SimulatedFeedTest, AlertsWhileHiddenRaiseNoBalloonAndAreMarkedOnceShown) {
    const testing::ImportPatch patch("shell32.dll", "Shell_NotifyIconW",
                                     reinterpret_cast<void*>(&RecordingNotifyIcon));
    ASSERT_TRUE(patch.patched());
    SimControl("price?code=600000&close=10&price=10");
    Start("[600000]\r\nover=10.50\r\n");
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_HIDE_TICKERS, 0);
    SimControl("price?code=600000&close=10&price=11");
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(MessageLines(*dialog).size(), 2u);
    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_HIDE_TICKERS, 0);
    ASSERT_NE(dialog->ticker_host(), nullptr);
    EXPECT_EQ(dialog->ticker_state().unseen, 2);
    SimControl("price?code=600000&close=10&price=10.99");
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    // The shell's thread keeps the order: hiding took down any balloon, and the next one is
    // the alert raised once shown.
    ASSERT_TRUE(testing::PumpUntil([] { return balloon_count >= 2; }));
    EXPECT_EQ(balloons.substr(0, 1), "|") << balloons;
    EXPECT_NE(balloons.find("开板"), std::string::npos) << balloons;
}

TEST(MainDialog, AfterAShellRestartTheTickerAndTheTrayIconComeBack) {
    ScopedWorkingDirectory folder;
    const std::wstring log(std::wstring(folder.path().begin(), folder.path().end()) +
                           L"\\tray.log");
    tools::ClassicTaskbarLayout layout;
    layout.tray_log = log.c_str();
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create(layout));
    folder.WriteFile("code.ini", "[600000]\r\n[000001]\r\n");
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));  // the rows are in
    auto tickers = [&] {
        int count = 0;
        for (HWND h = nullptr;
             (h = FindWindowExW(taskbar.taskbar(), h, CTextProgressCtrl::kClassName, nullptr));) {
            ++count;
        }
        return count;
    };
    ASSERT_EQ(tickers(), 1);
    // The pointer rests on the ticker, or only a message says so; true when the card opens.
    auto rest = [&](bool really) {
        const HWND ticker =
            FindWindowExW(taskbar.taskbar(), nullptr, CTextProgressCtrl::kClassName, nullptr);
        RECT r{};
        GetWindowRect(ticker, &r);
        SetCursorPos(really ? (r.left + r.right) / 2 : 0, really ? (r.top + r.bottom) / 2 : 0);
        if (really) {
            SendMessageW(ticker, WM_MOUSEMOVE, 0, 0);
        }
        SendMessageW(ticker, WM_MOUSEHOVER, 0, 0);
        return IsWindowVisible(FindWindowW(CQuoteCard::kClassName, nullptr)) != FALSE;
    };
    EXPECT_FALSE(rest(false)) << "a hover no pointer made";
    EXPECT_TRUE(rest(true));

    // The shell restarts under the resting pointer: no leave comes, and none is waited for.
    taskbar.Destroy();
    SetCursorPos(0, 0);  // so that the new ticker is not rested on
    ASSERT_TRUE(taskbar.Create(layout));
    folder.WriteFile("tray.log", "");
    SendMessageW(dialog.hwnd(), TaskbarCreatedMessage(), 0, 0);
    ASSERT_TRUE(testing::TickAndWait(dialog));
    EXPECT_EQ(tickers(), 1);
    auto line = [&] { return ui::Window(dialog.ticker_host()->hwnd()).Text(); };
    const std::string shown = line();
    ASSERT_TRUE(testing::TickAndWait(dialog));
    EXPECT_NE(line(), shown) << "the rotation goes on";
    EXPECT_TRUE(rest(true)) << "the new ticker tells of a resting pointer again";
    // The new taskbar received the icon, from the shell thread: operation 0 (add) for icon 4.
    // (Start-up's balloon may reach it too, late.)
    EXPECT_TRUE(testing::PumpUntil([&] {
        std::ifstream requests(folder.path() + "\\tray.log");
        for (std::string line; std::getline(requests, line);) {
            if (line.rfind("0\t4\t", 0) == 0) {
                return true;
            }
        }
        return false;
    }));
}

// Choices made while the box is up (the tray's menu still works) raise no box of their own.
TEST(MainDialog, AnUnwritableTickraIniIsToldInOneBoxAtATime) {
    ScopedWorkingDirectory folder;
    folder.WriteFile("tickra.ini", "");
    // Another program holds the file open without sharing it.
    const HANDLE lock = CreateFileA((folder.path() + "\\tickra.ini").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    std::unique_ptr<CTickraDlg> dialog;
    services.message_box = [&](HWND, std::string_view text, std::string_view, UINT) {
        boxes.push_back({std::string(text), "", 0});
        for (int toggle = 0; boxes.size() == 1 && toggle < 19; ++toggle) {
            SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_TASKBARS_ALL - toggle % 2, 0);
        }
        return IDOK;
    };
    dialog = std::make_unique<CTickraDlg>("", services);
    ASSERT_TRUE(dialog->Create());
    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_TASKBARS_ALL, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("tickra.ini 无法保存", 0), 0u);
    EXPECT_EQ(dialog->ticker_hosts()->choice(), TaskbarChoice::kAll) << "kept for the run";
    dialog.reset();
    CloseHandle(lock);
}

TEST(MainDialog, AnEmptyListShowsTheHint) {
    ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    CTickraDlg dialog("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(testing::WaitIdle(dialog));
    EXPECT_EQ(dialog.ticker_state().text, "请加入股票.");
    EXPECT_EQ(dialog.ticker_state().tone, Tone::kMissing);
    SendMessageW(dialog.hwnd(), WM_TIMER, 1000, 0);
    EXPECT_EQ(dialog.ticker_state().text, "请加入股票.");
}

}  // namespace
}  // namespace tickra
