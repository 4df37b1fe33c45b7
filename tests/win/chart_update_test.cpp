#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/mailbox_win.h"
#include "base/code_page_win.h"
#include "net/http_client_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "update/upgrade_offer.h"
#include "tickra/build_config.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

void Sim(const std::string& control) {
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/" + control);
}

// This test program as the simulator sees it: a real x64 Windows program to offer as an upgrade.
std::string OwnImageUnixPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string unix_path = Narrow(path + 2);  // Wine's drive Z: is the Unix root
    for (char& c : unix_path) {
        c = c == '\\' ? '/' : c;
    }
    return unix_path;
}

// Tickra one version on, the image the tests offer as an upgrade (a Unix path, for the simulator).
std::string NextImageUnixPath() {
    const char* path = std::getenv("TICKRA_NEXT_EXE");
    return path != nullptr ? path : "";
}

// The whole dialog with a taskbar, the simulator behind every host and the upgrade's outside
// world recorded.
struct ChartUpdateTest : ::testing::Test {
    testing::ScopedWorkingDirectory folder;
    tools::ClassicTaskbar taskbar;
    std::vector<testing::MessageBoxRecord> boxes;
    std::vector<std::wstring> renamers_started;
    std::vector<std::string> opened;
    std::function<void()> while_upgrade_box_is_open;
    std::string public_key = build::kUpgradeKey;
    std::shared_ptr<std::atomic<int>> update_answers = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<bool>> hold_update_page =
        std::make_shared<std::atomic<bool>>(false);
    // Told of each download of the upgrade, on the worker's thread.
    std::function<void(const std::string& url, const TransferLimits& limits)> upgrade_download;
    std::unique_ptr<CTickraDlg> dialog;

    void SetUp() override {
        if (testing::SimulatorHost().empty()) {
            GTEST_SKIP() << "needs the market simulator (run through ctest)";
        }
        Sim("reset");
        ASSERT_TRUE(taskbar.Create({}));
    }
    void Start(const std::string& ini = "[600000]\r\n") {
        folder.WriteFile("code.ini", ini);
        DialogServices services = testing::TestServices(&boxes);
        const std::string sim = testing::SimulatorHost();
        services.quote_host = services.chart_host = services.update_host = sim;
        // Answers that come on another thread: the update check's.
        // The worker may outlive this test: it counts into memory it shares.
        services.http = [answers = update_answers, hold = hold_update_page, http = services.http](
                            std::string_view body, std::string_view verb, std::string_view host,
                            std::string_view object, TransferControl& control) {
            const bool update_page = object.find("blog/") != std::string_view::npos;
            while (update_page && *hold) {
                Sleep(1);  // a slow update page
            }
            HttpAnswer answer = http(body, verb, host, object, control);
            *answers += update_page ? 1 : 0;
            return answer;
        };
        services.upgrade.message_box = [this](HWND, std::string_view text, std::string_view caption,
                                              UINT type) {
            boxes.push_back({std::string(text), std::string(caption), type});
            if (while_upgrade_box_is_open) {
                while_upgrade_box_is_open();
            }
            return IDOK;
        };
        services.upgrade.start_renamer = [this](HWND, const std::wstring& renamer) {
            renamers_started.push_back(renamer);
        };
        if (upgrade_download) {
            services.upgrade.download = [this, download = services.upgrade.download](
                                            const std::string& url, const std::wstring& path,
                                            const TransferLimits& limits, TransferControl& control,
                                            const DownloadProgress& progress) {
                upgrade_download(url, limits);
                return download(url, path, limits, control, progress);
            };
        }
        services.upgrade.folder = std::wstring(folder.path().begin(), folder.path().end());
        services.upgrade.public_key = public_key;
        services.help_url = "http://help.test/tickra.html";
        services.upgrade_release_delay = std::chrono::milliseconds(1);
        services.open_url = [this](const std::string& url) { opened.push_back(url); };
        dialog = std::make_unique<CTickraDlg>("", services);
        ASSERT_TRUE(dialog->Create());
        ASSERT_TRUE(testing::WaitIdle(*dialog));
    }
    void Tick() { ASSERT_TRUE(testing::TickAndWait(*dialog)); }
    void ClickTicker() {
        SendMessageW(dialog->ticker_host()->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    bool ChartShown() const { return dialog->chart_window()->window().IsVisible(); }
    // Waits for the update check's reports to be handled.
    bool WaitForUpgradeOffer() {
        return testing::PumpUntil([this] { return dialog->upgrade_dialog() != nullptr; });
    }
    // "升级", and the download's end.
    void PressUpgrade() {
        SendMessageW(dialog->upgrade_dialog()->hwnd(), WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(testing::PumpUntil([this] {
            return dialog->upgrade_dialog() == nullptr || !dialog->upgrade_dialog()->downloading();
        }));
    }
    std::string UpgradeText() const { return dialog->upgrade_dialog()->ItemText(IDC_UPGRADE_TEXT); }
};

TEST_F(ChartUpdateTest, AClickOnTheTickerShowsTheChartAtTheNextTick) {
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

TEST_F(ChartUpdateTest, ReturnAndEscapeCloseTheChartWindowAsItsCloseBoxDoes) {
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

TEST_F(ChartUpdateTest, APictureTooLargeToDecodeBlanksTheChart) {
    Start();
    ClickTicker();
    Tick();
    ASSERT_TRUE(dialog->chart_window()->has_image());
    Sim("scenario?code=600000&chart=huge");  // 32768 x 32768: gigabytes once decoded
    Tick();
    EXPECT_FALSE(dialog->chart_window()->has_image()) << "the last picture may be another stock's";
}

TEST_F(ChartUpdateTest, AnErrorPageLeavesTheChartBlank) {
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

TEST_F(ChartUpdateTest, TheAnnouncementArrivesInThePanel) {
    Sim("update?case=same");
    Start();
    HWND panel_text = nullptr;
    ASSERT_TRUE(testing::PumpUntil([&] {
        panel_text = dialog->announcement_panel().fallback();
        return panel_text != nullptr && GetWindowTextLengthW(panel_text) > 0;
    }));
    EXPECT_EQ(ui::Window(panel_text).Text(), "Tickra 公告：行情数据由本地模拟器提供，测试链接");
    EXPECT_EQ(dialog->upgrade_dialog(), nullptr) << "the same version offers nothing";
}

TEST_F(ChartUpdateTest, AnOfferOpensTheUpgradeDialogAndCancelClosesIt) {
    Sim("update?case=other");
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    EXPECT_TRUE(dialog->upgrade_dialog()->window().IsVisible());
    EXPECT_EQ(UpgradeText(), "新版本 2.1\r\n修正了若干问题\r\n请升级");
    SendMessageW(dialog->upgrade_dialog()->hwnd(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(testing::PumpUntil([this] { return dialog->upgrade_dialog() == nullptr; }));
}

TEST_F(ChartUpdateTest, OnlyACompleteSignedProgramOfTheOfferedVersionIsHandedOver) {
    ASSERT_FALSE(NextImageUnixPath().empty()) << "TICKRA_NEXT_EXE names the newer image";
    folder.WriteFile("rename.exe", "stand-in renamer");
    folder.WriteFile("Tickra.upg.part", "left by a download that Exit cut short");
    Sim("update?case=newer");
    Start();
    EXPECT_EQ(GetFileAttributesA((folder.path() + "\\Tickra.upg.part").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "an unfinished download is removed at start";
    ASSERT_TRUE(WaitForUpgradeOffer());
    struct Bad {
        const char* scenario;
        const char* line;
    };
    // This test program carries Tickra's version resource at the running version: signed, whole,
    // and still not the version offered (a replayed older release looks the same).
    for (const Bad& bad : {Bad{"upgrade?case=html", "没有完整下载"},
                           Bad{"upgrade?case=truncated&file=", "没有完整下载"},
                           Bad{"upgrade?case=changed&file=", "签名无法验证"},
                           Bad{"upgrade?case=foreign&file=", "签名无法验证"},
                           Bad{"upgrade?case=nosig&file=", "签名无法验证"},
                           Bad{"upgrade?case=shortsig&file=", "签名无法验证"},
                           Bad{"upgrade?case=valid&file=", "不是所提供的 Tickra 新版本"}}) {
        const std::string scenario = bad.scenario;
        Sim(scenario + (scenario.back() == '=' ? OwnImageUnixPath() : ""));
        const size_t before = UpgradeText().size();
        PressUpgrade();
        EXPECT_TRUE(renamers_started.empty()) << scenario;
        EXPECT_NE(UpgradeText().find(bad.line, before), std::string::npos) << scenario;
        for (const char* name : {"\\Tickra.upg", "\\Tickra.upg.part", "\\Tickra.upg.sig"}) {
            EXPECT_EQ(GetFileAttributesA((folder.path() + name).c_str()), INVALID_FILE_ATTRIBUTES)
                << scenario << ": " << name << " is left behind";
        }
        EXPECT_TRUE(IsWindow(dialog->hwnd())) << scenario;
    }

    Sim("upgrade?case=valid&file=" + NextImageUnixPath());
    PressUpgrade();
    ASSERT_EQ(renamers_started.size(), 1u);
    EXPECT_EQ(Narrow(renamers_started[0]), folder.path() + "\\rename.exe");
    EXPECT_EQ(boxes.back().text, "下载完成，程序将重新启动，运行新程序。");
    EXPECT_NE(GetFileAttributesA((folder.path() + "\\Tickra.upg").c_str()), INVALID_FILE_ATTRIBUTES);
    // The hand-over report ends the program: the dialog tears itself down.
    EXPECT_TRUE(testing::PumpUntil([this] { return dialog->hwnd() == nullptr; }));
}

TEST_F(ChartUpdateTest, TheSignatureIsFetchedWithItsOwnSmallBounds) {
    ASSERT_FALSE(NextImageUnixPath().empty()) << "TICKRA_NEXT_EXE names the newer image";
    Sim("update?case=newer");
    Sim("upgrade?case=valid&file=" + NextImageUnixPath());
    // Filled on the worker, which may outlive the test.
    auto asked = std::make_shared<std::vector<std::pair<std::string, TransferLimits>>>();
    upgrade_download = [asked](const std::string& url, const TransferLimits& limits) {
        asked->emplace_back(url, limits);
    };
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    PressUpgrade();
    ASSERT_EQ(asked->size(), 2u);
    EXPECT_EQ((*asked)[1].first, (*asked)[0].first + ".sig");
    EXPECT_LE((*asked)[1].second.max_bytes, 1024u);
    EXPECT_LE((*asked)[1].second.total_ms, 10000u);
}

TEST_F(ChartUpdateTest, AHugeDescriptionIsCutAndVerdictsAreAppended) {
    Sim("update?case=long");
    Sim("upgrade?case=html");
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    const std::string shown = UpgradeText();
    EXPECT_LE(shown.size(), kMaxDescriptionBytes + 2);
    EXPECT_EQ(shown.substr(shown.size() - 2), "…");
    PressUpgrade();
    EXPECT_EQ(UpgradeText().rfind(shown, 0), 0u) << "the description stays as it was";
    EXPECT_NE(UpgradeText().find("没有完整下载", shown.size()), std::string::npos);
}

TEST_F(ChartUpdateTest, ExitWhileTheHandOverBoxIsOpenEndsWithoutHandingOver) {
    folder.WriteFile("rename.exe", "stand-in renamer");
    Sim("update?case=newer");
    Sim("upgrade?case=valid&file=" + NextImageUnixPath());
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    while_upgrade_box_is_open = [this] {
        SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);  // from the tray meanwhile
    };
    PressUpgrade();
    EXPECT_EQ(boxes.back().text, "下载完成，程序将重新启动，运行新程序。");
    EXPECT_TRUE(renamers_started.empty());
    EXPECT_EQ(dialog->hwnd(), nullptr);
    EXPECT_EQ(dialog->upgrade_dialog(), nullptr);
}

TEST_F(ChartUpdateTest, TheDownloadShowsItsProgressAndCancelStopsIt) {
    folder.WriteFile("rename.exe", "stand-in renamer");
    Sim("update?case=other");
    Sim("upgrade?case=slow&file=" + OwnImageUnixPath());
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    const HWND upgrade = dialog->upgrade_dialog()->hwnd();
    SendMessageW(upgrade, WM_COMMAND, IDOK, 0);
    HWND bar = GetDlgItem(upgrade, IDC_UPGRADE_PROGRESS);
    EXPECT_TRUE(testing::PumpUntil([bar] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }));
    EXPECT_TRUE(dialog->upgrade_dialog()->downloading());
    SendMessageW(upgrade, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(upgrade));
    EXPECT_TRUE(testing::PumpUntil([this] { return dialog->upgrade_dialog() == nullptr; }));
    EXPECT_TRUE(renamers_started.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ChartUpdateTest, ABuildWithoutAKeyOffersButNeverHandsOver) {
    folder.WriteFile("rename.exe", "stand-in renamer");
    Sim("update?case=other");
    Sim("upgrade?case=valid&file=" + OwnImageUnixPath());
    public_key = "";
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    EXPECT_NE(UpgradeText().find("没有发布者公钥"), std::string::npos);
    PressUpgrade();
    EXPECT_NE(UpgradeText().find("签名无法验证"), std::string::npos);
    EXPECT_TRUE(renamers_started.empty());
}

TEST_F(ChartUpdateTest, WithoutTheRenamerTheUserIsToldWhatToDo) {
    Sim("update?case=newer");
    Sim("upgrade?case=valid&file=" + NextImageUnixPath());
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    PressUpgrade();
    EXPECT_TRUE(renamers_started.empty());
    const std::string text = UpgradeText();
    EXPECT_NE(text.find("\r\n\r\n***************************\r\n\r\n找不到ReName.exe更名程序。"),
              std::string::npos);
    EXPECT_NE(text.find("/download.html重新下载。"), std::string::npos);
    EXPECT_TRUE(IsWindow(dialog->upgrade_dialog()->hwnd())) << "the dialog stays open";
}

TEST_F(ChartUpdateTest, ExitDuringASlowUpdateCheckIsSafe) {
    Sim("update?case=other");
    *hold_update_page = true;
    Start();
    SendMessageW(dialog->hwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(dialog->hwnd(), nullptr);
    // The answer comes after Exit; it must find nothing to write into or post to.
    *hold_update_page = false;
    EXPECT_TRUE(testing::PumpUntil([this] { return *update_answers == 1; }));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(dialog->upgrade_dialog(), nullptr);
}

TEST(Mailbox, RunsTasksInOrderAndFreesWhatIsLeftWhenClosed) {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Mailbox mailbox(window, kMailboxMessage);
    std::string ran;
    for (char task : std::string("abc")) {
        EXPECT_TRUE(mailbox.Post([&ran, task] { ran += task; }));
    }
    MSG message;
    int messages = 0;
    while (PeekMessageW(&message, window, kMailboxMessage, kMailboxMessage, PM_REMOVE)) {
        EXPECT_EQ(message.lParam, 0) << "the message carries nothing";
        ++messages;
        mailbox.RunPending();
    }
    EXPECT_EQ(ran, "abc");
    EXPECT_EQ(messages, 1);

    // What waits when the window goes is freed unrun, and nothing is taken afterwards.
    auto held = std::make_shared<int>(0);
    EXPECT_TRUE(mailbox.Post([held] { ++*held; }));
    mailbox.Close();
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_FALSE(mailbox.Post([held] { ++*held; }));
    EXPECT_EQ(held.use_count(), 1);
    mailbox.RunPending();
    EXPECT_EQ(*held, 0);
    DestroyWindow(window);
}

TEST_F(ChartUpdateTest, TheHelpLinkOpensTheHelpPage) {
    Start();
    // The link control reports a click to the dialog as a notification.
    NMHDR click{dialog->Item(IDC_HELP_LINK).hwnd(), IDC_HELP_LINK, NM_CLICK};
    SendMessageW(dialog->hwnd(), WM_NOTIFY, IDC_HELP_LINK, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(opened, std::vector<std::string>{"http://help.test/tickra.html"});
}

}  // namespace
}  // namespace tickra
