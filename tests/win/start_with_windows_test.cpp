#include <gtest/gtest.h>

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "app/start_with_windows_win.h"
#include "base/code_page_win.h"
#include "base/com_ptr_win.h"
#include "res/resource.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

struct Shortcut {
    std::wstring target, folder, arguments;
};

ComPtr<IShellLinkW> NewLink() {
    ComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                     link.put_void());
    return link;
}

Shortcut Resolve(const std::wstring& path) {
    const ComPtr<IShellLinkW> link = NewLink();
    Shortcut shortcut;
    wchar_t text[MAX_PATH] = {};
    if (link && SUCCEEDED(link.As<IPersistFile>(IID_IPersistFile)->Load(path.c_str(), STGM_READ))) {
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        shortcut.target = text;
        link->GetWorkingDirectory(text, MAX_PATH);
        shortcut.folder = text;
        link->GetArguments(text, MAX_PATH);
        shortcut.arguments = text;
    }
    return shortcut;
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(StartWithWindows, AShortcutOfItsOwnBesideAnotherCopysAndTheMenuEntryShowsIt) {
    testing::ScopedWorkingDirectory folder;  // the working folder, and the Startup folder here
    // One left by a copy of Tickra elsewhere, under the name this copy would take first.
    const std::wstring others = Widen(folder.path()) + L"\\Tickra.lnk";
    const ComPtr<IShellLinkW> other = NewLink();
    ASSERT_TRUE(other);
    other->SetPath(L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(SUCCEEDED(other.As<IPersistFile>(IID_IPersistFile)->Save(others.c_str(), TRUE)));
    StartWithWindows start(Widen(folder.path()));
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    auto checked = [&] {
        start.CheckMenuEntry(popup, ID_TRAY_START_WITH_WINDOWS);
        return (GetMenuState(popup, ID_TRAY_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_FALSE(checked());

    EXPECT_EQ(start.Toggle(L"/BS"), "");
    EXPECT_TRUE(checked());
    const std::wstring own = Widen(folder.path()) + L"\\Tickra 2.lnk";
    EXPECT_EQ(Narrow(start.shortcut_path()), Narrow(own));
    const Shortcut made = Resolve(own);
    EXPECT_EQ(Narrow(made.target), Narrow(ThisProgram()));
    EXPECT_EQ(Narrow(made.folder), folder.path());
    EXPECT_EQ(Narrow(made.arguments), "/BS");
    EXPECT_EQ(Narrow(Resolve(others).target), "C:\\windows\\notepad.exe") << "left alone";
    EXPECT_TRUE(StartWithWindows(Widen(folder.path())).IsOn()) << "found at the next start";

    EXPECT_EQ(start.Toggle(L"/BS"), "");
    EXPECT_EQ(GetFileAttributesW(own.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(others.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(checked());
    DestroyMenu(menu);
}

TEST(StartWithWindows, TheDialogSaysWhatCouldNotBeDone) {
    testing::ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    DialogServices services = testing::TestServices(&boxes);
    services.startup_folder = L"Q:\\no\\such\\folder";
    {
        CTickraDlg dialog("", services);
        ASSERT_TRUE(dialog.Create());
        boxes.clear();
        SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_START_WITH_WINDOWS, 0);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("无法在启动文件夹里建立快捷方式", 0), 0u) << boxes[0].text;
}

}  // namespace
}  // namespace tickra
