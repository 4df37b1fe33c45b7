// Which shortcut of the Startup folder is this copy's. Copies of Tickra in other folders may keep
// theirs there too, under the same name: none is ever replaced by another's.
#pragma once

#include <functional>
#include <string>

namespace tickra {

enum class ShortcutHolder { kNone, kThisCopy, kSomethingElse };

struct ShortcutPlace {
    std::wstring name;    // "Tickra.lnk", "Tickra 2.lnk", …; empty when every name is taken
    bool exists = false;  // this copy's shortcut is there
};

// The names are tried in order, "Tickra.lnk" first: the first that starts this copy, else the
// first that holds nothing. holder(name) tells what the Startup folder holds under that name.
ShortcutPlace FindShortcutPlace(const std::function<ShortcutHolder(const std::wstring&)>& holder);

}  // namespace tickra
