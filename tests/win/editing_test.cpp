#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "net/http_client_win.h"
#include "res/resource.h"
#include "unit/test_support.h"
#include "watch/profile_file_win.h"
#include "watch/watch_list_loader.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

using testing::MessageBoxRecord;
using testing::Rows;

// The real dialog over a code.ini of its own, with the simulator answering when one runs.
struct EditingTest : ::testing::Test {
    testing::ScopedWorkingDirectory folder;
    std::vector<MessageBoxRecord> boxes;
    std::unique_ptr<CTickraDlg> dialog;

    // While set, requests for the stock 600001 wait (on the worker, which may outlive the test:
    // the flags are shared).
    std::shared_ptr<std::atomic<bool>> hold = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> released = std::make_shared<std::atomic<int>>(0);

    void Start(const std::string& ini) {
        if (!ini.empty()) {
            folder.WriteFile("code.ini", ini);
        }
        DialogServices services = testing::TestServices(&boxes);
        const std::string sim = testing::SimulatorHost();
        if (!sim.empty()) {
            services.quote_host = sim;
            services.history_hosts = {sim, sim};
        }
        services.http = [hold = hold, released = released, http = services.http](
                            std::string_view body, std::string_view verb, std::string_view host,
                            std::string_view object, std::string_view headers, TransferKind kind,
                            TransferControl& control) {
            const bool holding = *hold && (body.find("600001") != std::string_view::npos ||
                                           object.find("600001") != std::string_view::npos);
            while (holding && *hold) {
                Sleep(1);
            }
            HttpAnswer answer = http(body, verb, host, object, headers, kind, control);
            *released += holding ? 1 : 0;
            return answer;
        };
        dialog = std::make_unique<CTickraDlg>("", services);
        ASSERT_TRUE(dialog->Create());
        ASSERT_TRUE(testing::WaitIdle(*dialog));
        boxes.clear();  // the start-up's own messages (no taskbar here) do not count
    }
    void Command(int id) {
        SendMessageW(dialog->hwnd(), WM_COMMAND, id, 0);
        ASSERT_TRUE(testing::WaitIdle(*dialog));
    }
    void Fields(const char* code, const char* break_below, const char* cross_above,
                const char* balance) {
        dialog->SetItemText(IDC_CODE, code);
        dialog->SetItemText(IDC_BREAK_BELOW, break_below);
        dialog->SetItemText(IDC_CROSS_ABOVE, cross_above);
        dialog->SetItemText(IDC_BALANCE, balance);
    }
    std::vector<std::string> FieldTexts() const {
        return {dialog->ItemText(IDC_CODE), dialog->ItemText(IDC_BREAK_BELOW),
                dialog->ItemText(IDC_CROSS_ABOVE), dialog->ItemText(IDC_BALANCE)};
    }
    void Select(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(dialog->Item(IDC_WATCH_LIST).hwnd(), LVM_SETITEMSTATE,
                     static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    Rows View() const { return testing::ViewRows(*dialog); }
    // The control's own visibility (the dialog itself stays hidden in these tests).
    bool Shown(int id) const {
        return (GetWindowLongW(dialog->Item(id).hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    // The rows as the next start would load them.
    Rows File() const {
        PrivateProfileFile file(folder.path() + "\\code.ini");
        Rows rows;
        for (const WatchRow& r : LoadWatchList(ProfileText(file.Read().text))) {
            rows.push_back({r.code, r.break_below, r.cross_above, r.balance, r.data_date});
        }
        return rows;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const MessageBoxRecord& b : boxes) {
            texts.push_back(b.text);
        }
        return texts;
    }
};

TEST_F(EditingTest, ApplyWithoutACodeOnlySaysSo) {
    Start("[600000]\r\nunder=1\r\n");
    Fields("", "9", "9", "9");
    Command(IDC_APPLY);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"先输入股票代码。"});
    EXPECT_EQ(View(), (Rows{{"600000", "1", "", "", ""}}));
    EXPECT_EQ(File(), View());
}

TEST_F(EditingTest, AHoldingThatIsNoNumberIsRefusedByName) {
    Start("[600000]\r\nunder=1\r\n");
    const std::string before = folder.ReadFile("code.ini");
    for (const auto& [id, text] : {std::pair{IDC_SHARES, "abc"}, std::pair{IDC_COST, "1e3"}}) {
        boxes.clear();
        Fields("000001", "", "", "");
        dialog->SetItemText(id, text);
        Command(IDC_APPLY);
        ASSERT_EQ(boxes.size(), 1u) << text;
        EXPECT_EQ(boxes[0].text.rfind(id == IDC_SHARES ? "持股" : "成本", 0), 0u) << boxes[0].text;
        EXPECT_EQ(folder.ReadFile("code.ini"), before);
        dialog->SetItemText(id, "");
    }
    EXPECT_EQ(View(), (Rows{{"600000", "1", "", "", ""}}));
}

TEST_F(EditingTest, AddingWritesTheSectionAndADuplicateIsRefused) {
    Start("");
    Fields("600000", "", "", "");
    Command(IDC_APPLY);
    EXPECT_EQ(View(), (Rows{{"600000", "0", "0", "0", ""}}));
    EXPECT_EQ(File(), View());
    EXPECT_EQ(FieldTexts(), (std::vector<std::string>{"", "0", "0", "0"}));

    EXPECT_TRUE(boxes.empty());

    // One section per code: a second row would lose both when either is deleted.
    Fields("600000", "9.5", "", "");
    Command(IDC_APPLY);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"这只股票已在列表中。"});
    EXPECT_EQ(View(), (Rows{{"600000", "0", "0", "0", ""}}));
    EXPECT_EQ(File(), View());
}

TEST_F(EditingTest, ALockedCodeIniSaysSoAndTheListKeepsWhatTheFileHolds) {
    Start("[600000]\r\n");
    const std::string path = folder.path() + "\\code.ini";
    // Another program holds the file open without sharing it.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Fields("000001", "1", "", "");
    Command(IDC_APPLY);
    Select(0);
    Command(IDC_DELETE);
    CloseHandle(lock);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "code.ini 无法保存，这次修改没有生效。\r\n\r\n" + path);
    EXPECT_EQ(View(), (Rows{{"600000", "", "", "", ""}}));
    EXPECT_EQ(File(), View());
}

TEST_F(EditingTest, ACodeIniHeldAtStartIsToldAndReadWhenFree) {
    folder.WriteFile("code.ini", "[600000]\r\nunder=1\r\n");
    const std::string path = folder.path() + "\\code.ini";
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    dialog = std::make_unique<CTickraDlg>("", testing::TestServices(&boxes));
    ASSERT_TRUE(dialog->Create());
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text,
              "code.ini 无法读取（另一个程序正占用着它）。在读出之前，股票列表是空的，也不能修改；"
              "程序会不断再试。\r\n\r\n" +
                  path);
    const size_t told = boxes.size();
    Fields("000001", "1", "", "");
    Command(IDC_APPLY);  // no list yet to add to
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(boxes.size(), told) << "tried again, and said once";
    EXPECT_TRUE(View().empty());
    EXPECT_EQ(ui::Window(dialog->ticker_host()->hwnd()).Text(), "code.ini 无法读取.");
    CloseHandle(lock);
    ASSERT_TRUE(testing::TickAndWait(*dialog));
    EXPECT_EQ(View(), (Rows{{"600000", "1", "", "", ""}}));
    EXPECT_EQ(File(), View());
}

TEST_F(EditingTest, AFileWithTextButNoListIsNotOverwrittenUnasked) {
    // UTF-16 without a byte-order mark: the profile functions find no section in it.
    std::string utf16;
    for (char c : std::string("[600000]\r\nunder=9.5\r\n")) {
        utf16 += {c, '\0'};
    }
    folder.WriteFile("code.ini", utf16);
    DialogServices services = testing::TestServices(&boxes);
    bool exit_in_box = false;
    services.message_box = [&, record = services.message_box](HWND owner, std::string_view text,
                                                              std::string_view caption, UINT type) {
        const int pressed = record(owner, text, caption, type);
        if (exit_in_box) {
            dialog->Teardown();  // Exit from the tray while the box is open
        }
        return pressed;
    };
    dialog = std::make_unique<CTickraDlg>("", services);
    ASSERT_TRUE(dialog->Create());
    ASSERT_TRUE(testing::WaitIdle(*dialog));
    ASSERT_EQ(boxes.size(), 1u) << "said once, at start";
    EXPECT_NE(boxes[0].text.find("没有能读出的股票列表"), std::string::npos);
    boxes.clear();
    Fields("000001", "1", "", "");
    Command(IDC_APPLY);  // the recorded box answers OK, which is no "yes"
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(View().empty());
    boxes.clear();
    exit_in_box = true;
    Command(IDC_APPLY);
    EXPECT_EQ(BoxTexts().size(), 1u) << "the refused write says nothing once Exit has begun";
    std::ifstream file(folder.path() + "\\code.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), utf16);
}

TEST_F(EditingTest, ModifyLocksTheListAndCancelGoesBack) {
    Start("[600000]\r\nunder=1\r\nover=2\r\nsale=3\r\ncdt=2008-07-08\r\n[000001]\r\n");
    Select(0);
    Command(IDC_MODIFY);
    EXPECT_EQ(FieldTexts(), (std::vector<std::string>{"600000", "1", "2", "3"}));
    EXPECT_EQ(dialog->ItemText(IDC_APPLY), "修改");
    EXPECT_TRUE(Shown(IDC_CANCEL_EDIT));
    for (int id : {IDC_WATCH_LIST, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MODIFY, IDC_DELETE,
                   IDC_COMPUTE_ALL, IDC_CODE}) {
        EXPECT_FALSE(IsWindowEnabled(dialog->Item(id).hwnd())) << id;
    }
    EXPECT_TRUE(IsWindowEnabled(dialog->Item(IDC_COMPUTE).hwnd()));

    Command(IDC_CANCEL_EDIT);
    EXPECT_EQ(FieldTexts(), (std::vector<std::string>{"", "0", "0", "0"}));
    EXPECT_EQ(dialog->ItemText(IDC_APPLY), "添加");
    EXPECT_FALSE(Shown(IDC_CANCEL_EDIT));
    EXPECT_TRUE(IsWindowEnabled(dialog->Item(IDC_WATCH_LIST).hwnd()));

    Fields("600036", "", "15", "");
    Command(IDC_APPLY);
    EXPECT_EQ(View().size(), 3u) << "after Cancel, Apply adds";
}

TEST_F(EditingTest, ModifyKeepsTheDataDateThroughApply) {
    Start("[600000]\r\nunder=1\r\nover=2\r\nsale=3\r\ncdt=2008-07-08\r\n");
    Select(0);
    Command(IDC_MODIFY);
    dialog->SetItemText(IDC_BREAK_BELOW, "9.50");
    Command(IDC_APPLY);
    EXPECT_EQ(View(), (Rows{{"600000", "9.50", "2", "3", "2008-07-08"}}));
    EXPECT_EQ(File(), View());
}

TEST_F(EditingTest, MovesStopAtTheEndsAndAreNotWritten) {
    Start("[A00001]\r\n[B00002]\r\n[C00003]\r\n");
    auto order = [this] {
        std::string codes;
        for (const auto& row : View()) {
            codes += row[0].substr(0, 1);
        }
        return codes;
    };
    Select(0);
    Command(IDC_MOVE_UP);
    EXPECT_EQ(order(), "ABC");
    Select(2);
    Command(IDC_MOVE_DOWN);
    EXPECT_EQ(order(), "ABC");
    Select(2);
    Command(IDC_MOVE_UP);
    EXPECT_EQ(order(), "ACB");
    EXPECT_EQ(SendMessageW(dialog->Item(IDC_WATCH_LIST).hwnd(), LVM_GETSELECTEDCOUNT, 0, 0), 0)
        << "no row is selected after a move";
    Command(IDC_MOVE_UP);  // nothing selected: nothing moves
    EXPECT_EQ(order(), "ACB");
    Select(0);
    Command(IDC_MOVE_DOWN);
    EXPECT_EQ(order(), "CAB");
    EXPECT_EQ(File()[0][0], "A00001") << "code.ini keeps its order";
}

TEST_F(EditingTest, AMoveKeepsALongListWhereItIsScrolled) {
    Start(testing::SixDigitSections(60));
    HWND list = dialog->Item(IDC_WATCH_LIST).hwnd();
    SendMessageW(list, LVM_ENSUREVISIBLE, 59, FALSE);
    const LRESULT top = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
    ASSERT_GT(top, 0);
    Select(58);
    Command(IDC_MOVE_UP);
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), top);
    const Rows rows = View();
    EXPECT_EQ(rows[57][0], "600058");
    EXPECT_EQ(rows[58][0], "600057");
}

TEST_F(EditingTest, DeleteRemovesRowAndSectionAtOnce) {
    Start("[600000]\r\nunder=1\r\n[000001]\r\nover=2\r\n");
    Command(IDC_DELETE);  // nothing selected
    EXPECT_EQ(View().size(), 2u);
    Select(0);
    Command(IDC_DELETE);
    EXPECT_EQ(View(), (Rows{{"000001", "", "2", "", ""}}));
    EXPECT_EQ(File(), View());
    EXPECT_TRUE(boxes.empty());
}

// The newest weekday up to today: the simulator's latest history row.
std::string LatestTradingDay() {
    std::time_t t = std::time(nullptr);
    std::tm day{};
    localtime_s(&day, &t);
    while (day.tm_wday == 0 || day.tm_wday == 6) {
        t -= 24 * 3600;
        localtime_s(&day, &t);
    }
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &day);
    return text;
}

TEST_F(EditingTest, ComputeShowsTheBalancePriceAndApplyStoresItsDate) {
    if (testing::SimulatorHost().empty()) {
        GTEST_SKIP() << "needs the market simulator (run through ctest)";
    }
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/reset");
    Start("");
    Command(IDC_COMPUTE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"先输入股票代码。"});

    boxes.clear();
    Fields("600000", "0", "0", "0");
    Command(IDC_COMPUTE);
    const std::string price = dialog->ItemText(IDC_BALANCE);
    EXPECT_TRUE(std::regex_match(price, std::regex(R"(\d+\.\d\d)"))) << price;
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"计算完毕.\r\n\r\n数据日期:" +
                                                   LatestTradingDay() + ",平衡价:" + price + "."});
    EXPECT_EQ(dialog->ItemText(IDC_CODE), "600000") << "the code field keeps what was typed";
    Command(IDC_APPLY);
    EXPECT_EQ(File(), (Rows{{"600000", "0", "0", price, LatestTradingDay()}}));

    boxes.clear();
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/scenario?code=600001&history=rows24");
    Fields("600001", "0", "0", "0");
    Command(IDC_COMPUTE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"提取数据出错。"});
    Fields("600002", "0", "0", "5");
    Command(IDC_APPLY);
    EXPECT_EQ(File().back(), (std::vector<std::string>{"600002", "0", "0", "5", ""}))
        << "the failed code's data date is not stored with another stock";
}

TEST_F(EditingTest, ComputeAllUpdatesEveryRowThatHasHistoryAndSaysNothing) {
    if (testing::SimulatorHost().empty()) {
        GTEST_SKIP() << "needs the market simulator (run through ctest)";
    }
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/reset");
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/scenario?code=000002&history=empty");
    Start("[600000]\r\nunder=1\r\n[000002]\r\nsale=7\r\n[000001]\r\n");
    Command(IDC_COMPUTE_ALL);
    const Rows rows = View();
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i : {0u, 2u}) {
        EXPECT_TRUE(std::regex_match(rows[i][3], std::regex(R"(\d+\.\d\d)"))) << i;
        EXPECT_EQ(rows[i][4], LatestTradingDay()) << i;
    }
    EXPECT_EQ(rows[1], (std::vector<std::string>{"000002", "", "", "7", ""}));
    EXPECT_EQ(File(), rows);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(EditingTest, ComputeAllCountsItsProgressAndStopsWhenPressedAgain) {
    if (testing::SimulatorHost().empty()) {
        GTEST_SKIP() << "needs the market simulator (run through ctest)";
    }
    HttpRequest("", "POST", testing::SimulatorHost(), "/_sim/reset");
    const std::string ini = "[600000]\r\n[600001]\r\n[600002]\r\n";
    Start(ini);
    *hold = true;  // the second stock's history is slow to come
    SendMessageW(dialog->hwnd(), WM_COMMAND, IDC_COMPUTE_ALL, 0);
    EXPECT_EQ(dialog->ItemText(IDC_COMPUTE_ALL), "停");
    EXPECT_EQ(dialog->ItemText(IDC_COMPUTE_PROGRESS), "0/3");
    ASSERT_TRUE(
        testing::PumpUntil([this] { return dialog->ItemText(IDC_COMPUTE_PROGRESS) == "1/3"; }));
    SendMessageW(dialog->hwnd(), WM_COMMAND, IDC_COMPUTE_ALL, 0);  // stop
    EXPECT_TRUE(dialog->idle());
    EXPECT_EQ(dialog->ItemText(IDC_COMPUTE_ALL), "计");
    EXPECT_EQ(dialog->ItemText(IDC_COMPUTE_PROGRESS), "");
    // Pressed again while the stopped request still hangs: its host is taken to be down, and no
    // second thread waits beside the first.
    SendMessageW(dialog->hwnd(), WM_COMMAND, IDC_COMPUTE_ALL, 0);
    EXPECT_TRUE(testing::PumpUntil([this] { return dialog->idle(); }));
    // The second stock's answer comes after the stop: it must change nothing.
    *hold = false;
    ASSERT_TRUE(testing::PumpUntil([this] { return *released > 0; }));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    const Rows rows = View();
    EXPECT_NE(rows[0][3], "");
    EXPECT_EQ(rows[1][3], "");
    EXPECT_EQ(rows[2][3], "");
    EXPECT_EQ(File(), rows);
}

}  // namespace
}  // namespace tickra
