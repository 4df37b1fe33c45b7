#include "app/hide_key_win.h"

#include <optional>

#include "base/code_page_win.h"
#include "base/text_util.h"

namespace tickra {

static_assert(HotKey::kAlt == MOD_ALT && HotKey::kControl == MOD_CONTROL &&
              HotKey::kShift == MOD_SHIFT && HotKey::kWin == MOD_WIN);

void HideKey::Register(HWND window, std::string_view value,
                       const std::function<void(const std::string& line)>& tell) {
    Unregister();
    key_ = kDefaultHideKey;
    if (!TrimBlanks(value).empty()) {
        if (const std::optional<HotKey> parsed = ParseHotKey(value)) {
            key_ = *parsed;
        } else {
            tell(UnreadableHideKeyLine(value));
        }
    }
    // Held down, the key would hide and show the tickers over and over.
    taken_ = RegisterHotKey(window, kId, key_.modifiers | MOD_NOREPEAT, key_.key) == FALSE;
    if (taken_) {
        tell(TakenHideKeyLine(key_));
    } else {
        window_ = window;
    }
}

void HideKey::Unregister() {
    if (window_ != nullptr) {
        UnregisterHotKey(window_, kId);
        window_ = nullptr;
    }
}

void HideKey::UpdateMenuEntry(HMENU menu, UINT id, bool hidden) const {
    if (GetMenuState(menu, id, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        return;  // another menu, or the submenu
    }
    ModifyMenuW(menu, id,
                MF_BYCOMMAND | MF_STRING | static_cast<UINT>(hidden ? MF_CHECKED : MF_UNCHECKED),
                id, Widen(taken_ ? "隐藏行情（热键被占用）" : "隐藏行情").c_str());
}

}  // namespace tickra
