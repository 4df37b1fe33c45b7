// The hide key as tickra.ini writes it ("Ctrl+Alt+Z"): modifiers, then one letter or F1 to F12.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tickra {

struct HotKey {
    // RegisterHotKey's own values, so that the window code passes them on unchanged.
    static constexpr unsigned kAlt = 1;
    static constexpr unsigned kControl = 2;
    static constexpr unsigned kShift = 4;
    static constexpr unsigned kWin = 8;

    unsigned modifiers = 0;
    unsigned key = 0;  // virtual key: 'A'..'Z', or 0x70..0x7B for F1..F12
    bool operator==(const HotKey&) const = default;
};

inline constexpr HotKey kDefaultHideKey{HotKey::kControl | HotKey::kAlt, 'Z'};

// Names in any case, blanks around each part; at least one modifier, none twice, and the key
// last. Nothing for anything else.
std::optional<HotKey> ParseHotKey(std::string_view text);

// The canonical form: Ctrl, Alt, Shift, Win in that order, then the key ("Ctrl+Shift+F9").
std::string HotKeyText(const HotKey& key);

// The message lines of the hide key: tickra.ini's value (cut short, never inside a character)
// that is no key, and a key that another program holds.
std::string UnreadableHideKeyLine(std::string_view value);
std::string TakenHideKeyLine(const HotKey& key);

}  // namespace tickra
