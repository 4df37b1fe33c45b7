#include "app/startup_shortcut.h"

namespace tickra {

namespace {

constexpr int kNames = 9;

std::wstring ShortcutName(int index) {
    return index == 1 ? L"Tickra.lnk" : L"Tickra " + std::to_wstring(index) + L".lnk";
}

}  // namespace

ShortcutPlace FindShortcutPlace(const std::function<ShortcutHolder(const std::wstring&)>& holder) {
    ShortcutPlace free;
    for (int index = 1; index <= kNames; ++index) {
        const std::wstring name = ShortcutName(index);
        // Every name is looked at: the shortcut made when an earlier name was taken stays this
        // copy's after that name comes free.
        switch (holder(name)) {
            case ShortcutHolder::kThisCopy:
                return {name, true};
            case ShortcutHolder::kNone:
                if (free.name.empty()) {
                    free.name = name;
                }
                break;
            case ShortcutHolder::kSomethingElse:
                break;
        }
    }
    return free;
}

}  // namespace tickra
