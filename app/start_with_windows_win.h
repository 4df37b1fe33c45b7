// Starting with Windows: a shortcut in the user's Startup folder that runs this program in its
// working folder, with its arguments. Nothing goes into the registry. The shortcut is
// "Tickra.lnk" unless a copy of Tickra elsewhere has that name; then the next free one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tickra {

class StartWithWindows {
public:
    // folder: where the shortcut goes; empty for the user's Startup folder.
    explicit StartWithWindows(std::wstring folder = {});

    // This copy's shortcut is there: looked for once, and from then on the user's last choice.
    bool IsOn();
    // Deletes the shortcut when it is on, else makes it for the current working folder and these
    // arguments. Returns what could not be done, as the program's text, or empty.
    std::string Toggle(const std::wstring& arguments);
    // Checks the menu's entry with this command when it is on; a menu without it is left alone.
    void CheckMenuEntry(HMENU menu, UINT command);

    // Where this copy's shortcut is or goes; empty when there is no place for it.
    const std::wstring& shortcut_path();

private:
    // Looks at the folder: where this copy's shortcut is, or where it would go.
    bool Find();
    bool Create(const std::wstring& arguments) const;

    std::wstring folder_;
    std::wstring path_;
    std::optional<bool> on_;
};

}  // namespace tickra
