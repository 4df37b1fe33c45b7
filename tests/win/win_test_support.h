// Helpers for tests that run window code in-process under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tickra_dlg_win.h"

namespace tickra::testing {

// Message boxes seen by the code under test, answered with OK at once.
struct MessageBoxRecord {
    std::string text, caption;
    UINT type;
};
ui::MessageBoxFunction RecordingMessageBox(std::vector<MessageBoxRecord>* seen);

// The program's services, with message boxes recorded instead of shown.
DialogServices TestServices(std::vector<MessageBoxRecord>* seen);

// The texts of the watch list view, row by row.
using Rows = std::vector<std::vector<std::string>>;
Rows ViewRows(const CTickraDlg& dialog);

// The simulator beside this test run ("127.0.0.1:PORT"), or empty when there is none.
std::string SimulatorHost();

// Live GDI objects and windows of this process. Wine does not implement GetGuiResources, so GDI
// objects are counted by probing the handle table, which Wine indexes by the handle's low word.
int CountGdiObjects();
int CountWindows();

// A fresh folder under the temporary folder that is the current directory for the test's
// lifetime; the previous current directory comes back afterwards.
class ScopedWorkingDirectory {
public:
    ScopedWorkingDirectory();
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

    const std::string& path() const { return path_; }
    // Writes bytes into a file of this folder.
    void WriteFile(std::string_view name, std::string_view bytes) const;
    // The bytes of a file of this folder; empty when it is missing.
    std::string ReadFile(std::string_view name) const;

private:
    void DeleteFiles() const;
    std::string previous_;
    std::string path_;
};

// Pumps messages until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

// Pumps messages until the dialog has no transfer under way (its answers handled).
bool WaitIdle(const CTickraDlg& dialog);
// One refresh tick, and its answers.
bool TickAndWait(const CTickraDlg& dialog);

// Runs script from inside the message loop that a modal call such as DoModal runs, once the
// loop has started.
void RunInsideNextLoop(std::function<void()> script);

// Points this program's import of a system function at a replacement for the object's lifetime,
// so a test can see calls whose effect lies outside the process (a repaint of the desktop).
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool patched() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// Saves the whole screen as a 32-bit BMP (a Unix path, for the pictures of a test run).
void SaveScreen(const std::string& unix_path);

// Header text and width of a list-view column.
std::string ColumnHeading(HWND list, int column);
int ColumnWidth(HWND list, int column);

}  // namespace tickra::testing
