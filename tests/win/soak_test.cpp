// The real dialog ticking for a long time against a feed that misbehaves half the time, with a
// shell restart halfway: nothing may crash, leak or touch code.ini. TICKRA_SOAK_TICKS sets the
// number of ticks (a few hundred by default; the soak command runs thousands).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/tickra_dlg_win.h"
#include "net/http_client_win.h"
#include "res/messages.h"
#include "tray/tray_icon_win.h"
#include "tools/classic_taskbar/classic_taskbar.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

// Bytes in use on the process heap, where every allocation of the program and of the C++ runtime
// lands (Wine reports no private bytes for a process).
size_t HeapBytesInUse() {
    HANDLE heap = GetProcessHeap();
    size_t total = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            total += entry.cbData;
        }
    }
    HeapUnlock(heap);
    return total;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

TEST(Soak, ChaosAndAShellRestartLeaveNothingBehind) {
    const std::string sim = testing::SimulatorHost();
    if (sim.empty()) {
        GTEST_SKIP() << "needs the market simulator (run through ctest)";
    }
    const char* requested = std::getenv("TICKRA_SOAK_TICKS");
    const int ticks = requested != nullptr ? std::atoi(requested) : 300;
    HttpRequest("", "POST", sim, "/_sim/reset");
    HttpRequest("", "POST", sim, "/_sim/chaos?rate=0.5&seed=7");

    testing::ScopedWorkingDirectory folder;
    // No alert levels: message lines are kept for the whole run by design and would grow.
    const std::string ini =
        "[600000]\r\nunder=0\r\nover=0\r\nsale=0\r\ncdt=\r\n[000001]\r\nunder=0\r\n"
        "[600036]\r\n[1A0001]\r\n[300001]\r\nover=0\r\n";
    folder.WriteFile("code.ini", ini);
    tools::ClassicTaskbar taskbar;
    ASSERT_TRUE(taskbar.Create({}));
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.quote_host = services.chart_host = sim;
    services.update_host = "127.0.0.1:1";
    CTickraDlg dialog("", services);
    ASSERT_TRUE(dialog.Create());

    auto tick = [&] {
        ASSERT_TRUE(testing::TickAndWait(dialog));
        PumpPending();
    };
    // Both stretches go through the same events: the chart shown for half of it, then a shell
    // restart, so the counts compare like with like.
    auto run = [&](int count) {
        for (int i = 0; i < count; ++i) {
            if (i == count / 4 || i == 3 * count / 4) {
                SendMessageW(dialog.ticker_host()->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
            }
            if (i == count - 2) {
                taskbar.Destroy();  // the shell restarts
                ASSERT_TRUE(taskbar.Create({}));
                SendMessageW(dialog.hwnd(), TaskbarCreatedMessage(), 0, 0);
            }
            tick();
            ASSERT_TRUE(IsWindow(dialog.hwnd()));
        }
    };
    // The chart window keeps the last image it could decode: one bitmap, or none after a bad one.
    auto gdi_objects = [&] {
        return testing::CountGdiObjects() - (dialog.chart_window()->has_image() ? 1 : 0);
    };
    const int warm_up = 100;
    run(warm_up);
    const int gdi = gdi_objects();
    const int windows = testing::CountWindows();
    const size_t bytes = HeapBytesInUse();

    run(ticks);
    const int gdi_after = gdi_objects();
    const int windows_after = testing::CountWindows();
    const size_t bytes_after = HeapBytesInUse();
    std::printf(
        "soak: %d ticks after %d to warm up; GDI objects %d -> %d, windows %d -> %d, "
        "heap bytes in use %zu -> %zu (%+lld)\n",
        ticks, warm_up, gdi, gdi_after, windows, windows_after, bytes, bytes_after,
        static_cast<long long>(bytes_after) - static_cast<long long>(bytes));

    EXPECT_EQ(gdi_after, gdi);
    EXPECT_EQ(windows_after, windows);
    EXPECT_LT(static_cast<long long>(bytes_after) - static_cast<long long>(bytes), 64 * 1024);
    EXPECT_EQ(FileBytes(folder.path() + "\\code.ini"), ini);
    EXPECT_EQ(GetParent(dialog.ticker_host()->hwnd()), taskbar.taskbar());
    EXPECT_TRUE(boxes.empty());
    HttpRequest("", "POST", sim, "/_sim/chaos?rate=0");
}

}  // namespace
}  // namespace tickra
