// The whole dialog with a taskbar, the simulator behind every host and the upgrade's outside
// world recorded: the fixture of the chart window's and the update offer's tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "base/code_page_win.h"
#include "net/http_client_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tickra/build_config.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "win/win_test_support.h"

namespace tickra::testing_dialog {

inline void Sim(const std::string& control) {
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/" + control);
}

// This test program as the simulator sees it: a real x64 Windows program to offer as an upgrade.
inline std::string OwnImageUnixPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string unix_path = Narrow(path + 2);  // Wine's drive Z: is the Unix root
    for (char& c : unix_path) {
        c = c == '\\' ? '/' : c;
    }
    return unix_path;
}

// Tickra one version on, the image the tests offer as an upgrade (a Unix path, for the simulator).
inline std::string NextImageUnixPath() {
    const char* path = std::getenv("TICKRA_NEXT_EXE");
    return path != nullptr ? path : "";
}

struct SimulatedDialogTest : ::testing::Test {
    testing::ScopedWorkingDirectory folder;
    tools::ClassicTaskbar taskbar;
    std::vector<testing::MessageBoxRecord> boxes;
    std::vector<std::wstring> renamers_started;
    std::vector<std::string> opened;
    std::function<void()> while_upgrade_box_is_open;
    bool start_renamer_for_real = false;  // else every renamer starts
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
                            std::string_view object, std::string_view headers, TransferKind kind,
                            TransferControl& control) {
            const bool update_page = object.find("blog/") != std::string_view::npos;
            while (update_page && *hold) {
                Sleep(1);  // a slow update page
            }
            HttpAnswer answer = http(body, verb, host, object, headers, kind, control);
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
        services.upgrade.start_renamer = [this](HWND owner, const std::wstring& renamer) {
            UpgradeServices::HeldRenamer held =
                start_renamer_for_real ? DefaultUpgradeServices().start_renamer(owner, renamer)
                                       : [](bool) { return true; };
            if (!held) {
                return held;
            }
            return UpgradeServices::HeldRenamer([this, renamer, held](bool run) {
                if (run) {
                    renamers_started.push_back(renamer);
                }
                return held(run);
            });
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

}  // namespace tickra::testing_dialog
