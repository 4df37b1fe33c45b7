#include <gtest/gtest.h>

#include "app/hot_key.h"

namespace tickra {
namespace {

TEST(HotKey, ParsesModifiersThenOneKey) {
    constexpr unsigned kCtrlAlt = HotKey::kControl | HotKey::kAlt;
    struct Case {
        const char* text;
        std::optional<HotKey> key;
    };
    const Case cases[] = {
        {"Ctrl+Alt+Z", HotKey{kCtrlAlt, 'Z'}},
        {"ctrl+alt+z", HotKey{kCtrlAlt, 'Z'}},
        {" Control + ALT +  a ", HotKey{kCtrlAlt, 'A'}},
        {"Shift+Win+F1", HotKey{HotKey::kShift | HotKey::kWin, 0x70}},
        {"Ctrl+Shift+f12", HotKey{HotKey::kControl | HotKey::kShift, 0x7B}},
        {"Alt+Ctrl+Shift+Win+Q", HotKey{15, 'Q'}},
        {"Ctrl+F13", std::nullopt},
        {"Ctrl+F0", std::nullopt},
        {"Ctrl+F01", std::nullopt},
        {"Z", std::nullopt},
        {"F9", std::nullopt},
        {"Ctrl+Control+Z", std::nullopt},
        {"Alt+Alt+Z", std::nullopt},
        {"Ctrl+Z+Alt", std::nullopt},
        {"Ctrl+Alt", std::nullopt},
        {"Ctrl+Alt+", std::nullopt},
        {"Ctrl++Z", std::nullopt},
        {"Ctrl+1", std::nullopt},
        {"Ctrl+Alt+ZZ", std::nullopt},
        {"Hyper+Z", std::nullopt},
        {"热键", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHotKey(c.text), c.key) << c.text;
    }
}

TEST(HotKey, CanonicalTextReadsBackTheSame) {
    const char* const cases[][2] = {
        {"ctrl+alt+z", "Ctrl+Alt+Z"},
        {"Shift+Control+F9", "Ctrl+Shift+F9"},
        {"win + alt + f12", "Alt+Win+F12"},
        {"Win+Shift+Alt+Ctrl+F1", "Ctrl+Alt+Shift+Win+F1"},
    };
    for (const auto& [text, canonical] : cases) {
        const std::optional<HotKey> key = ParseHotKey(text);
        ASSERT_TRUE(key) << text;
        EXPECT_EQ(HotKeyText(*key), canonical);
        EXPECT_EQ(ParseHotKey(canonical), key) << canonical;
    }
    EXPECT_EQ(HotKeyText(kDefaultHideKey), "Ctrl+Alt+Z");
}

TEST(HotKey, MessageLinesNameTheKeyAndCutTheValueBetweenCharacters) {
    EXPECT_EQ(TakenHideKeyLine(*ParseHotKey("shift+ctrl+f9")),
              "隐藏热键 Ctrl+Shift+F9 已被其他程序占用");
    EXPECT_EQ(UnreadableHideKeyLine("Ctrl+Q+"), "隐藏热键 Ctrl+Q+ 无法识别，使用 Ctrl+Alt+Z");
    // 39 bytes, then a double-byte character that would end one byte past the cut.
    const std::string long_value = std::string(39, 'x') + "键键";
    EXPECT_EQ(UnreadableHideKeyLine(long_value),
              "隐藏热键 " + std::string(39, 'x') + " 无法识别，使用 Ctrl+Alt+Z");
    EXPECT_EQ(UnreadableHideKeyLine(std::string(38, 'x') + "键键"),
              "隐藏热键 " + std::string(38, 'x') + "键 无法识别，使用 Ctrl+Alt+Z");
}

}  // namespace
}  // namespace tickra
