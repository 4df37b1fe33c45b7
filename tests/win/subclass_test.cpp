#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tray/subclass_wnd_win.h"

namespace tickra {
namespace {

std::vector<std::string>* window_log = nullptr;
bool hooked_at_ncdestroy = false;

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_USER && window_log != nullptr) {
        window_log->push_back("window");
    }
    if (message == WM_NCDESTROY) {
        hooked_at_ncdestroy = CSubclassWndMap::Instance().Lookup(hwnd) != nullptr;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

class RecordingHook : public CSubclassWnd {
public:
    RecordingHook(std::string name, std::vector<std::string>* log) : name_(name), log_(log) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_USER) {
            log_->push_back(name_);
        }
        return Default(message, wparam, lparam);
    }

private:
    std::string name_;
    std::vector<std::string>* log_;
};

struct SubclassTest : ::testing::Test {
    std::vector<std::string> log;
    HWND target = nullptr;

    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TargetProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TickraSubclassTarget";
        RegisterClassW(&wc);
        target = CreateWindowW(L"TickraSubclassTarget", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        window_log = &log;
    }
    void TearDown() override {
        if (IsWindow(target)) {
            DestroyWindow(target);
        }
        window_log = nullptr;
    }
    std::vector<std::string> Deliver() {
        log.clear();
        SendMessageW(target, WM_USER, 0, 0);
        return log;
    }
    WNDPROC CurrentProc() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(target, GWLP_WNDPROC));
    }
};

TEST_F(SubclassTest, TheLastHookInstalledSeesEachMessageFirst) {
    RecordingHook first("first", &log), second("second", &log);
    first.HookWindow(target);
    second.HookWindow(target);
    EXPECT_EQ(Deliver(), (std::vector<std::string>{"second", "first", "window"}));

    const WNDPROC hooked = CurrentProc();
    first.HookWindow(nullptr);  // the one further down the chain
    EXPECT_EQ(Deliver(), (std::vector<std::string>{"second", "window"}));
    EXPECT_EQ(CurrentProc(), hooked);
    EXPECT_EQ(CSubclassWndMap::Instance().Lookup(target), &second);
}

TEST_F(SubclassTest, RemovingTheOnlyHookRestoresTheWindow) {
    RecordingHook hook("hook", &log);
    hook.HookWindow(target);
    hook.HookWindow(nullptr);
    EXPECT_EQ(CurrentProc(), TargetProc);
    EXPECT_EQ(CSubclassWndMap::Instance().Lookup(target), nullptr);
    EXPECT_EQ(Deliver(), (std::vector<std::string>{"window"}));
    EXPECT_TRUE(hook.HookWindow(nullptr)) << "unhooking an idle hook changes nothing";
    EXPECT_FALSE(hook.IsHooked());
}

TEST_F(SubclassTest, DestroyingTheWindowTakesEveryHookOffFirst) {
    RecordingHook first("first", &log), second("second", &log);
    first.HookWindow(target);
    second.HookWindow(target);
    hooked_at_ncdestroy = true;
    DestroyWindow(target);
    EXPECT_FALSE(hooked_at_ncdestroy);
    EXPECT_FALSE(first.IsHooked());
    EXPECT_FALSE(second.IsHooked());
}

}  // namespace
}  // namespace tickra
