#include "app/start_with_windows_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "app/startup_shortcut.h"
#include "base/code_page_win.h"
#include "base/com_ptr_win.h"

namespace tickra {

namespace {

std::wstring UserStartupFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &path))) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
}

std::wstring ThisProgram() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring WorkingFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, folder.data()));
    return folder;
}

ComPtr<IShellLinkW> NewShellLink() {
    ComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                     link.put_void());
    return link;
}

// The program a shortcut starts; empty when the file is no shortcut.
std::wstring ShortcutTarget(const std::wstring& path) {
    const ComPtr<IShellLinkW> link = NewShellLink();
    const ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    wchar_t target[MAX_PATH * 4] = {};
    if (!file || FAILED(file->Load(path.c_str(), STGM_READ)) ||
        link->GetPath(target, MAX_PATH * 4, nullptr, SLGP_RAWPATH) != S_OK) {
        return {};
    }
    return target;
}

}  // namespace

StartWithWindows::StartWithWindows(std::wstring folder)
    : folder_(folder.empty() ? UserStartupFolder() : std::move(folder)) {}

bool StartWithWindows::Find() {
    if (folder_.empty()) {
        return false;
    }
    const std::wstring program = ThisProgram();
    const ShortcutPlace place = FindShortcutPlace([&](const std::wstring& name) {
        const std::wstring path = folder_ + L"\\" + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return ShortcutHolder::kNone;
        }
        const std::wstring target = ShortcutTarget(path);
        return CompareStringOrdinal(target.c_str(), -1, program.c_str(), -1, TRUE) == CSTR_EQUAL
                   ? ShortcutHolder::kThisCopy
                   : ShortcutHolder::kSomethingElse;
    });
    path_ = place.name.empty() ? std::wstring() : folder_ + L"\\" + place.name;
    return place.exists;
}

bool StartWithWindows::IsOn() {
    if (!on_) {
        on_ = Find();
    }
    return *on_;
}

const std::wstring& StartWithWindows::shortcut_path() {
    IsOn();
    return path_;
}

bool StartWithWindows::Create(const std::wstring& arguments) const {
    const ComPtr<IShellLinkW> link = NewShellLink();
    const ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
    // code.ini is read from the working folder, so the shortcut starts Tickra where it runs now.
    return file && SUCCEEDED(link->SetPath(ThisProgram().c_str())) &&
           SUCCEEDED(link->SetWorkingDirectory(WorkingFolder().c_str())) &&
           SUCCEEDED(link->SetArguments(arguments.c_str())) &&
           SUCCEEDED(file->Save(path_.c_str(), TRUE));
}

std::string StartWithWindows::Toggle(const std::wstring& arguments) {
    // What the menu showed is what the user turns round; the folder is looked at afresh, for
    // another copy may have made or removed its own shortcut meanwhile.
    const bool wanted = !IsOn();
    const bool there = Find();
    if (!wanted) {
        if (there && !DeleteFileW(path_.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
            return "无法删除启动文件夹里的快捷方式，Tickra 仍会随 Windows 启动。\r\n\r\n" +
                   Narrow(path_);
        }
        on_ = false;
        return {};
    }
    if (!there && (path_.empty() || !Create(arguments))) {
        return "无法在启动文件夹里建立快捷方式，Tickra 不会随 Windows 启动。\r\n\r\n" +
               (folder_.empty() ? std::string("找不到启动文件夹。")
                : path_.empty() ? Narrow(folder_)
                                : Narrow(path_));
    }
    on_ = true;
    return {};
}

void StartWithWindows::CheckMenuEntry(HMENU menu, UINT command) {
    if (menu != nullptr && GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
        CheckMenuItem(menu, command,
                      MF_BYCOMMAND | static_cast<UINT>(IsOn() ? MF_CHECKED : MF_UNCHECKED));
    }
}

}  // namespace tickra
