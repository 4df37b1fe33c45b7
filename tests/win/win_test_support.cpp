#include "win/win_test_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "base/code_page_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/list_view.h"

namespace tickra::testing {

namespace {

void WriteBytes(const std::string& path, std::string_view bytes) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
}

}  // namespace

ScopedWorkingDirectory::ScopedWorkingDirectory() {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    previous_ = buffer;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + "tickra-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    // Wine reuses process ids from run to run: a run that was killed left its folders behind.
    DeleteFiles();
    CreateDirectoryA(path_.c_str(), nullptr);
    SetCurrentDirectoryA(path_.c_str());
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    SetCurrentDirectoryA(previous_.c_str());
    DeleteFiles();
    RemoveDirectoryA(path_.c_str());
}

void ScopedWorkingDirectory::DeleteFiles() const {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string file = path_ + "\\" + found.cFileName;
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only ones too
            DeleteFileA(file.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
}

void ScopedWorkingDirectory::WriteFile(std::string_view name, std::string_view bytes) const {
    WriteBytes(path_ + "\\" + std::string(name), bytes);
}

std::string ScopedWorkingDirectory::ReadFile(std::string_view name) const {
    std::ifstream file(path_ + "\\" + std::string(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void SaveScreen(const std::string& unix_path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER header{sizeof(header), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<char> pixels(static_cast<size_t>(width) * height * 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(header);
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    std::string path = "Z:" + unix_path;  // Wine's drive Z: is the Unix root
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    WriteBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
                         std::string(reinterpret_cast<const char*>(&header), sizeof(header)) +
                         std::string(pixels.data(), pixels.size()));
}

bool WaitIdle(const CTickraDlg& dialog) {
    return PumpUntil([&dialog] { return dialog.idle(); }, std::chrono::seconds(15));
}

bool TickAndWait(const CTickraDlg& dialog) {
    SendMessageW(dialog.hwnd(), WM_TIMER, kRefreshTimerId, 0);
    return WaitIdle(dialog);
}

namespace {
std::function<void()>* pending_script = nullptr;

void CALLBACK RunPendingScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::function<void()> script = std::move(*pending_script);
    delete pending_script;
    pending_script = nullptr;
    script();
}
}  // namespace

void RunInsideNextLoop(std::function<void()> script) {
    pending_script = new std::function<void()>(std::move(script));
    SetTimer(nullptr, 0, 1, RunPendingScript);
}

namespace {

void** FindImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.VirtualAddress != 0 && entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) {
            continue;
        }
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* by_name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

}  // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
    : slot_(FindImportSlot(dll, function)) {
    if (slot_ != nullptr) {
        original_ = *slot_;
        WriteSlot(slot_, replacement);
    }
}

ImportPatch::~ImportPatch() {
    if (slot_ != nullptr) {
        WriteSlot(slot_, original_);
    }
}

std::string ColumnHeading(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW lv{};
    lv.mask = LVCF_TEXT;
    lv.pszText = text;
    lv.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lv));
    return Narrow(text);
}

int ColumnWidth(HWND list, int column) {
    return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

ui::MessageBoxFunction RecordingMessageBox(std::vector<MessageBoxRecord>* seen) {
    return [seen](HWND, std::string_view text, std::string_view caption, UINT type) {
        seen->push_back({std::string(text), std::string(caption), type});
        return IDOK;
    };
}

DialogServices TestServices(std::vector<MessageBoxRecord>* seen) {
    DialogServices services = DefaultServices();
    services.message_box = RecordingMessageBox(seen);
    // Nothing listens there: a test that makes its feed fail sees every feed fail, unless it
    // points these at the simulator.
    services.sina_host = services.tencent_host = services.eastmoney_host = "127.0.0.1:1";
    return services;
}

Rows ViewRows(const CTickraDlg& dialog) {
    const ui::ListView view(dialog.Item(IDC_WATCH_LIST).hwnd());
    Rows rows;
    for (int i = 0; i < view.Count(); ++i) {
        rows.emplace_back();
        for (int column = 0; column < kWatchColumnCount; ++column) {
            rows.back().push_back(view.ItemText(i, column));
        }
        // A row without a holding reads as the five columns of the prices and the date.
        while (rows.back().size() > kColCost && rows.back().back().empty()) {
            rows.back().pop_back();
        }
    }
    return rows;
}

std::string SimulatorHost() {
    const char* port = std::getenv("TICKRA_SIM_PORT");
    return port != nullptr ? std::string("127.0.0.1:") + port : std::string();
}

int CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return static_cast<int>(reported);
    }
    int count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) {
            ++count;
        }
    }
    return count;
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(hwnd, CountChild, count);
    }
    return TRUE;
}
}  // namespace

int CountWindows() {
    int count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace tickra::testing
