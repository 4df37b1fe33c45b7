// The tray menu's choices that are the user's settings: which taskbars, the feeds' order, the
// move alerts, how the lines look, start with Windows and the hide key. Each takes effect at
// once and is kept (tickra.ini, the Startup folder), and the menu shows them as they are.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/hide_key_win.h"
#include "app/start_with_windows_win.h"
#include "app/ticker_win.h"
#include "app/tickra_settings.h"

namespace tickra {

class TrayChoices {
public:
    using Tell = std::function<void(std::string_view text)>;

    // Reads tickra.ini at settings_path once. startup_folder: where the start-with-Windows
    // shortcut goes, empty for the user's; tell: a message box.
    TrayChoices(const std::string& settings_path, std::wstring startup_folder, Tell tell);

    const SettingsValues& settings() const { return settings_.values(); }

    // The ticker the choices act on, made from settings(), which takes the rest of them now; the
    // hide key is held for window, and
    // what keeps it from being held is told as a message line. arguments: the program's, for the
    // start-with-Windows shortcut.
    void Start(Ticker& ticker, HWND window, std::wstring arguments,
               const std::function<void(const std::string& line)>& tell_line);
    // Exit: the hide key is let go.
    void Stop() { hide_key_.Unregister(); }

    // Runs a choice; false for another command.
    bool OnCommand(int id);
    // The menu, or its submenu, about to open.
    void UpdateMenu(HMENU menu);

private:
    Tell tell_;
    TickraSettings settings_;
    StartWithWindows start_with_windows_;
    HideKey hide_key_;
    Ticker* ticker_ = nullptr;
    std::wstring arguments_;
};

}  // namespace tickra
