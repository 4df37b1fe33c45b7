// Starting with Windows: a shortcut "Tickra.lnk" in the user's Startup folder that runs this
// program in its working folder, with its arguments. Nothing goes into the registry.
#pragma once

#include <windows.h>

#include <string>

namespace tickra {

class StartWithWindows {
public:
    // folder: where the shortcut goes; empty for the user's Startup folder.
    explicit StartWithWindows(std::wstring folder = {});

    // Tickra.lnk is there and starts this program.
    bool IsOn() const;
    // Deletes the shortcut when it is on, else makes it for the current working folder and these
    // arguments. Returns what could not be done, as the program's text, or empty.
    std::string Toggle(const std::wstring& arguments) const;
    // Checks the menu's entry with this command when it is on; a menu without it is left alone.
    void CheckMenuEntry(HMENU menu, UINT command) const;

    const std::wstring& shortcut_path() const { return path_; }

private:
    bool Create(const std::wstring& arguments) const;

    std::wstring folder_;
    std::wstring path_;
};

}  // namespace tickra
