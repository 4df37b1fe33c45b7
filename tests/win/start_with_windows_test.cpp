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

TEST(StartWithWindows, OnlyAShortcutToThisProgramCountsAndTheMenuEntryShowsIt) {
    testing::ScopedWorkingDirectory folder;  // the working folder, and the Startup folder here
    const StartWithWindows start(Widen(folder.path()));
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    auto checked = [&] {
        start.CheckMenuEntry(popup, ID_TRAY_START_WITH_WINDOWS);
        return (GetMenuState(popup, ID_TRAY_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_FALSE(checked());

    // One left by a copy of Tickra elsewhere.
    const ComPtr<IShellLinkW> other = NewLink();
    ASSERT_TRUE(other);
    other->SetPath(L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(SUCCEEDED(
        other.As<IPersistFile>(IID_IPersistFile)->Save(start.shortcut_path().c_str(), TRUE)));
    EXPECT_FALSE(start.IsOn());
    EXPECT_FALSE(checked());

    EXPECT_EQ(start.Toggle(L"/BS"), "");
    EXPECT_TRUE(checked());
    const Shortcut made = Resolve(start.shortcut_path());
    EXPECT_EQ(Narrow(made.target), Narrow(ThisProgram()));
    EXPECT_EQ(Narrow(made.folder), folder.path());
    EXPECT_EQ(Narrow(made.arguments), "/BS");

    EXPECT_EQ(start.Toggle(L"/BS"), "");
    EXPECT_EQ(GetFileAttributesW(start.shortcut_path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(checked());
    DestroyMenu(menu);
}

TEST(StartWithWindows, TheDialogSaysWhatCouldNotBeDone) {
    // A folder where the shortcut would go: the user's Startup folder cannot take it.
    const StartWithWindows user;
    ASSERT_FALSE(user.shortcut_path().empty());
    ASSERT_TRUE(CreateDirectoryW(user.shortcut_path().c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    testing::ScopedWorkingDirectory folder;
    std::vector<testing::MessageBoxRecord> boxes;
    {
        CTickraDlg dialog("", testing::TestServices(&boxes));
        ASSERT_TRUE(dialog.Create());
        boxes.clear();
        SendMessageW(dialog.hwnd(), WM_COMMAND, ID_TRAY_START_WITH_WINDOWS, 0);
    }
    RemoveDirectoryW(user.shortcut_path().c_str());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("无法在启动文件夹里建立快捷方式", 0), 0u) << boxes[0].text;
}

}  // namespace
}  // namespace tickra
