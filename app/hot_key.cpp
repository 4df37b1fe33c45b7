#include "app/hot_key.h"

#include <array>
#include <utility>
#include <vector>

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

namespace {

constexpr unsigned kF1 = 0x70;
// Enough for any key written out, with room for a few blanks.
constexpr size_t kShownValueBytes = 40;
constexpr unsigned kFunctionKeys = 12;

struct ModifierName {
    const char* name;
    unsigned bit;
};
constexpr std::array<ModifierName, 5> kModifierNames{{{"CTRL", HotKey::kControl},
                                                      {"CONTROL", HotKey::kControl},
                                                      {"ALT", HotKey::kAlt},
                                                      {"SHIFT", HotKey::kShift},
                                                      {"WIN", HotKey::kWin}}};

std::optional<unsigned> KeyFromName(std::string_view name) {
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
        return static_cast<unsigned>(name[0]);
    }
    // F1 to F12, without leading zeros.
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F' || name[1] == '0') {
        return std::nullopt;
    }
    unsigned number = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number < 1 || number > kFunctionKeys) {
        return std::nullopt;
    }
    return kF1 + number - 1;
}

}  // namespace

std::optional<HotKey> ParseHotKey(std::string_view text) {
    std::vector<std::string> parts;
    Split(UpperCaseMbcs(text), '+', parts);
    HotKey key;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string_view part = TrimBlanks(parts[i]);
        unsigned bit = 0;
        for (const ModifierName& modifier : kModifierNames) {
            if (part == modifier.name) {
                bit = modifier.bit;
            }
        }
        if (bit == 0 || (key.modifiers & bit) != 0) {
            return std::nullopt;
        }
        key.modifiers |= bit;
    }
    if (key.modifiers == 0) {
        return std::nullopt;
    }
    const std::optional<unsigned> vk = KeyFromName(TrimBlanks(parts.back()));
    if (!vk) {
        return std::nullopt;
    }
    key.key = *vk;
    return key;
}

std::string HotKeyText(const HotKey& key) {
    std::string text;
    for (const auto& [name, bit] :
         {std::pair{"Ctrl+", HotKey::kControl}, std::pair{"Alt+", HotKey::kAlt},
          std::pair{"Shift+", HotKey::kShift}, std::pair{"Win+", HotKey::kWin}}) {
        if ((key.modifiers & bit) != 0) {
            text += name;
        }
    }
    if (key.key >= kF1 && key.key < kF1 + kFunctionKeys) {
        return text + "F" + std::to_string(key.key - kF1 + 1);
    }
    return text + static_cast<char>(key.key);
}

std::string UnreadableHideKeyLine(std::string_view value) {
    return "隐藏热键 " + std::string(CutAtCharBoundary(value, kShownValueBytes)) +
           " 无法识别，使用 " + HotKeyText(kDefaultHideKey);
}

std::string TakenHideKeyLine(const HotKey& key) {
    return "隐藏热键 " + HotKeyText(key) + " 已被其他程序占用";
}

}  // namespace tickra
