// The update check, the announcement and the upgrade offer, as the dialog meets them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "update/upgrade_offer.h"
#include "win/simulated_dialog.h"

namespace tickra {
namespace {

using namespace testing_dialog;

TEST_F(SimulatedDialogTest, TheAnnouncementArrivesInThePanel) {
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

TEST_F(SimulatedDialogTest, AnOfferOpensTheUpgradeDialogAndCancelClosesIt) {
    Sim("update?case=other");
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    EXPECT_TRUE(dialog->upgrade_dialog()->window().IsVisible());
    EXPECT_EQ(UpgradeText(), "新版本 2.1\r\n修正了若干问题\r\n请升级");
    SendMessageW(dialog->upgrade_dialog()->hwnd(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(testing::PumpUntil([this] { return dialog->upgrade_dialog() == nullptr; }));
}

TEST_F(SimulatedDialogTest, OnlyACompleteSignedProgramOfTheOfferedVersionIsHandedOver) {
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
    EXPECT_NE(GetFileAttributesA((folder.path() + "\\Tickra.upg").c_str()),
              INVALID_FILE_ATTRIBUTES);
    // The hand-over report ends the program: the dialog tears itself down.
    EXPECT_TRUE(testing::PumpUntil([this] { return dialog->hwnd() == nullptr; }));
}

TEST_F(SimulatedDialogTest, TheSignatureIsFetchedWithItsOwnSmallBounds) {
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

TEST_F(SimulatedDialogTest, AHugeDescriptionIsCutAndVerdictsAreAppended) {
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

TEST_F(SimulatedDialogTest, ExitWhileTheHandOverBoxIsOpenEndsWithoutHandingOver) {
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

TEST_F(SimulatedDialogTest, TheDownloadShowsItsProgressAndCancelStopsIt) {
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

TEST_F(SimulatedDialogTest, ABuildWithoutAKeyOffersButNeverHandsOver) {
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

TEST_F(SimulatedDialogTest, WithoutARenamerThatStartsTheUserIsToldWhatToDo) {
    Sim("update?case=newer");
    Sim("upgrade?case=valid&file=" + NextImageUnixPath());
    Start();
    ASSERT_TRUE(WaitForUpgradeOffer());
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "找不到ReName.exe更名程序。"},
        {"MZ, and no program", "ReName.exe更名程序无法启动"},
    };
    for (const auto& [renamer, line] : cases) {
        if (renamer != nullptr) {
            folder.WriteFile("rename.exe", renamer);
            start_renamer_for_real = true;
        }
        const size_t before = UpgradeText().size();
        PressUpgrade();
        EXPECT_TRUE(boxes.empty()) << line << ": no word of a restart";
        const std::string text = UpgradeText();
        EXPECT_NE(
            text.find(std::string("\r\n\r\n***************************\r\n\r\n") + line, before),
            std::string::npos);
        EXPECT_NE(text.find("/download.html重新下载。", before), std::string::npos);
        EXPECT_TRUE(IsWindow(dialog->upgrade_dialog()->hwnd())) << line << ": Tickra goes on";
        EXPECT_NE(GetFileAttributesA((folder.path() + "\\Tickra.upg").c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << line << ": kept for renaming by hand";
    }
}

TEST_F(SimulatedDialogTest, ExitDuringASlowUpdateCheckIsSafe) {
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

}  // namespace
}  // namespace tickra
