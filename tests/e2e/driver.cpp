// Drives Tickra from outside its process, the way a user's clicks and the shell would: finds
// windows, sends and posts messages and reads what windows show. Reads one command per line on
// standard input and answers each with one line that starts with "ok" or "err".
//
//   find CLASS TITLE TIMEOUT_MS      top-level window ("-" matches any class or title)
//   find-all CLASS TITLE             every such top-level window: HWND:PID ...
//   child PARENT CLASS TIMEOUT_MS    direct child window of a class
//   child-after PARENT AFTER CLASS   the next child of a class after AFTER (0: the first)
//   item DIALOG ID                   a dialog's control
//   send HWND MSG WPARAM LPARAM      SendMessage; answers its result
//   post HWND MSG WPARAM LPARAM
//   visible HWND                     1 or 0
//   wait-visible HWND 1|0 TIMEOUT_MS
//   wait-gone HWND TIMEOUT_MS
//   rect HWND                        screen rectangle: left top right bottom
//   text HWND                        window text as UTF-8 in hex
//   settle HWND                      repaints the window and its children now
//   ping HWND TIMEOUT_MS             how long the window takes to answer a sent message, in ms
//   settext HWND HEX                 sets a window's text, given as UTF-8 in hex
//   lv-rows HWND COLUMNS             a list view's texts: cells in hex, "," between, ";" rows
//   lv-select HWND ROW               selects a list-view row
//   lock HEX                         opens a file (a Windows path, UTF-8 in hex) without sharing
//   unlock                           closes it again
//   light-taskbar 1|0|-              sets the taskbar's light setting (SystemUsesLightTheme), or
//                                    deletes it
//   setting-change TEXT              broadcasts WM_SETTINGCHANGE naming TEXT, as Windows does
//   pixel X Y                        the screen's pixel: R G B
//   cursor X Y                       moves the mouse pointer there, as a hand would
//   wait-pixel X Y R G B TIMEOUT_MS  waits for the pixel to take that colour; answers the ms taken
//   startup-shortcut [delete]        Tickra.lnk in the Startup folder: target, working folder and
//                                    arguments, each UTF-8 in hex, or "-" when there is none
//   quit
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace {

HWND ParseHwnd(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(text, nullptr, 0)));
}

// An argument in UTF-8; "-" stands for none.
std::wstring Arg(const std::string& text) {
    if (text == "-") {
        return {};
    }
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(length));
    return wide;
}

template <class Condition>
bool WaitFor(Condition condition, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        out += digits;
    }
    return out;
}

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::string Utf8(const wchar_t* text) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

// Memory in the process that owns a window, for list-view messages whose arguments are
// pointers: the item record followed by a text buffer.
class RemoteItem {
public:
    explicit RemoteItem(HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr) {
            memory_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        }
    }
    ~RemoteItem() {
        if (memory_ != nullptr) {
            VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    bool ok() const { return memory_ != nullptr; }
    LPARAM Put(LVITEMW item) {
        item.pszText = reinterpret_cast<wchar_t*>(memory_ + sizeof(LVITEMW));
        item.cchTextMax = kTextChars;
        WriteProcessMemory(process_, memory_, &item, sizeof(item), nullptr);
        return reinterpret_cast<LPARAM>(memory_);
    }
    std::wstring Text() const {
        wchar_t text[kTextChars] = {};
        ReadProcessMemory(process_, memory_ + sizeof(LVITEMW), text, sizeof(text) - 2, nullptr);
        return text;
    }

private:
    static constexpr int kTextChars = 1024;
    static constexpr size_t kSize = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
};

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string StartupShortcut(bool remove) {
    static const bool com = SUCCEEDED(CoInitialize(nullptr));
    PWSTR folder = nullptr;
    if (!com || FAILED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &folder))) {
        return "err no Startup folder";
    }
    const std::wstring path = std::wstring(folder) + L"\\Tickra.lnk";
    CoTaskMemFree(folder);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return "ok -";
    }
    if (remove) {
        return DeleteFileW(path.c_str()) ? "ok" : "err";
    }
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    std::string answer = "err unreadable";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, working[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(working, MAX_PATH);
        link->GetArguments(arguments, MAX_PATH);
        answer = "ok " + Hex(Utf8(target)) + " " + Hex(Utf8(working)) + " " + Hex(Utf8(arguments));
    }
    if (file != nullptr) {
        file->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    return answer;
}

std::string Run(const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "find") {
        std::string cls, title;
        DWORD timeout = 0;
        in >> cls >> title >> timeout;
        const std::wstring c = Arg(cls), t = Arg(title);
        HWND found = nullptr;
        WaitFor(
            [&] {
                found =
                    FindWindowW(c.empty() ? nullptr : c.c_str(), t.empty() ? nullptr : t.c_str());
                return found != nullptr;
            },
            timeout);
        return found ? "ok " + std::to_string(reinterpret_cast<uintptr_t>(found)) : "err";
    }
    if (command == "find-all") {
        std::string cls, title;
        in >> cls >> title;
        const std::wstring c = Arg(cls), t = Arg(title);
        std::string found = "ok";
        for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, c.empty() ? nullptr : c.c_str(),
                                                  t.empty() ? nullptr : t.c_str())) != nullptr;) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            found +=
                " " + std::to_string(reinterpret_cast<uintptr_t>(h)) + ":" + std::to_string(pid);
        }
        return found;
    }
    if (command == "child") {
        std::string parent, cls;
        DWORD timeout = 0;
        in >> parent >> cls >> timeout;
        const std::wstring c = Arg(cls);
        HWND found = nullptr;
        WaitFor(
            [&] {
                found = FindWindowExW(ParseHwnd(parent), nullptr, c.c_str(), nullptr);
                return found != nullptr;
            },
            timeout);
        return found ? "ok " + std::to_string(reinterpret_cast<uintptr_t>(found)) : "err";
    }
    if (command == "child-after") {
        std::string parent, after, cls;
        in >> parent >> after >> cls;
        const std::wstring c = Arg(cls);
        HWND found = FindWindowExW(ParseHwnd(parent), ParseHwnd(after), c.c_str(), nullptr);
        return found ? "ok " + std::to_string(reinterpret_cast<uintptr_t>(found)) : "err";
    }
    if (command == "item") {
        std::string dialog;
        int id = 0;
        in >> dialog >> id;
        HWND item = GetDlgItem(ParseHwnd(dialog), id);
        return item ? "ok " + std::to_string(reinterpret_cast<uintptr_t>(item)) : "err";
    }
    if (command == "send" || command == "post") {
        std::string hwnd;
        long long message = 0, wparam = 0, lparam = 0;
        in >> hwnd >> message >> wparam >> lparam;
        if (command == "post") {
            return PostMessageW(ParseHwnd(hwnd), static_cast<UINT>(message),
                                static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam))
                       ? "ok"
                       : "err";
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(ParseHwnd(hwnd), static_cast<UINT>(message),
                                 static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam),
                                 SMTO_NORMAL, 10000, &result)) {
            return "err";
        }
        return "ok " + std::to_string(static_cast<long long>(result));
    }
    if (command == "visible") {
        std::string hwnd;
        in >> hwnd;
        return IsWindowVisible(ParseHwnd(hwnd)) ? "ok 1" : "ok 0";
    }
    if (command == "wait-visible") {
        std::string hwnd;
        int want = 1;
        DWORD timeout = 0;
        in >> hwnd >> want >> timeout;
        HWND h = ParseHwnd(hwnd);
        return WaitFor([&] { return (IsWindowVisible(h) != FALSE) == (want != 0); }, timeout)
                   ? "ok"
                   : "err";
    }
    if (command == "wait-gone") {
        std::string hwnd;
        DWORD timeout = 0;
        in >> hwnd >> timeout;
        HWND h = ParseHwnd(hwnd);
        return WaitFor([&] { return !IsWindow(h); }, timeout) ? "ok" : "err";
    }
    if (command == "rect") {
        std::string hwnd;
        in >> hwnd;
        RECT r;
        if (!GetWindowRect(ParseHwnd(hwnd), &r)) {
            return "err";
        }
        return "ok " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right) + " " + std::to_string(r.bottom);
    }
    if (command == "text") {
        std::string hwnd;
        in >> hwnd;
        // WM_GETTEXT, not GetWindowText: an edit control of another process keeps its text to
        // itself.
        wchar_t text[1024] = {};
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(ParseHwnd(hwnd), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 5000, &copied);
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        return "ok " + Hex(utf8);
    }
    if (command == "settle") {
        std::string hwnd;
        in >> hwnd;
        HWND h = ParseHwnd(hwnd);
        RedrawWindow(h, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) ? "ok" : "err";
    }
    if (command == "ping") {
        std::string hwnd;
        DWORD timeout = 0;
        in >> hwnd >> timeout;
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        DWORD_PTR ignored = 0;
        const bool answered = SendMessageTimeoutW(ParseHwnd(hwnd), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                  timeout, &ignored) != 0;
        QueryPerformanceCounter(&end);
        const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart);
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", ms);
        return answered ? std::string("ok ") + text : "err";
    }
    if (command == "lock" || command == "unlock") {
        static HANDLE locked = INVALID_HANDLE_VALUE;
        if (locked != INVALID_HANDLE_VALUE) {
            CloseHandle(locked);
            locked = INVALID_HANDLE_VALUE;
        }
        if (command == "unlock") {
            return "ok";
        }
        std::string hex;
        in >> hex;
        std::string path;
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            path += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        }
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH);
        locked = CreateFileW(wide, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return locked != INVALID_HANDLE_VALUE ? "ok" : "err";
    }
    if (command == "settext") {
        std::string hwnd, hex;
        in >> hwnd >> hex;
        const std::string utf8 = Unhex(hex);
        wchar_t wide[2048] = {};
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 2047);
        return SendMessageW(ParseHwnd(hwnd), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide)) ? "ok"
                                                                                            : "err";
    }
    if (command == "light-taskbar") {
        std::string value;
        in >> value;
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER,
                            L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return "err";
        }
        LSTATUS status;
        if (value == "-") {
            status = RegDeleteValueW(key, L"SystemUsesLightTheme");
            status = status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        } else {
            const DWORD light = static_cast<DWORD>(std::stoul(value));
            status = RegSetValueExW(key, L"SystemUsesLightTheme", 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&light), sizeof(light));
        }
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? "ok" : "err";
    }
    if (command == "setting-change") {
        std::string text;
        in >> text;
        const std::wstring wide = Arg(text);
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                   reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 5000,
                                   &ignored)
                   ? "ok"
                   : "err";
    }
    if (command == "cursor") {
        int x = 0, y = 0;
        in >> x >> y;
        return SetCursorPos(x, y) ? "ok" : "err";
    }
    if (command == "pixel") {
        int x = 0, y = 0;
        in >> x >> y;
        const COLORREF c = ScreenPixel(x, y);
        return "ok " + std::to_string(GetRValue(c)) + " " + std::to_string(GetGValue(c)) + " " +
               std::to_string(GetBValue(c));
    }
    if (command == "wait-pixel") {
        int x = 0, y = 0, r = 0, g = 0, b = 0;
        DWORD timeout = 0;
        in >> x >> y >> r >> g >> b >> timeout;
        const DWORD start = GetTickCount();
        return WaitFor([&] { return ScreenPixel(x, y) == RGB(r, g, b); }, timeout)
                   ? "ok " + std::to_string(GetTickCount() - start)
                   : "err";
    }
    if (command == "startup-shortcut") {
        std::string verb;
        in >> verb;
        return StartupShortcut(verb == "delete");
    }
    if (command == "lv-rows") {
        std::string hwnd;
        int columns = 1;
        in >> hwnd >> columns;
        HWND list = ParseHwnd(hwnd);
        RemoteItem remote(list);
        if (!remote.ok()) {
            return "err no access";
        }
        const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        std::string answer = "ok ";
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                LVITEMW item{};
                item.iSubItem = column;
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.Put(item));
                answer += Hex(Utf8(remote.Text().c_str())) + (column + 1 < columns ? "," : "");
            }
            answer += ";";
        }
        return answer;
    }
    if (command == "lv-select") {
        std::string hwnd;
        int row = 0;
        in >> hwnd >> row;
        HWND list = ParseHwnd(hwnd);
        RemoteItem remote(list);
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        return remote.ok() && SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                                           remote.Put(item))
                   ? "ok"
                   : "err";
    }
    return "err unknown command";
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "quit") {
            break;
        }
        std::string answer;
        try {
            answer = Run(line);
        } catch (...) {
            answer = "err bad arguments";
        }
        std::cout << answer << std::endl;
    }
    return 0;
}
