#include <gtest/gtest.h>

#include "app/hot_key.h"

namespace tickra {
namespace {

TEST(HotKey, ModifiersThenOneKeyReadInAnyFormAndWrittenCanonically) {
    const char* const good[][2] = {
        {"Ctrl+Alt+Z", "Ctrl+Alt+Z"},
        {" control + ALT +  a ", "Ctrl+Alt+A"},
        {"Shift+Win+F1", "Shift+Win+F1"},
        {"shift+ctrl+f12", "Ctrl+Shift+F12"},
        {"Win+Shift+Alt+Ctrl+Q", "Ctrl+Alt+Shift+Win+Q"},
    };
    for (const auto& [text, canonical] : good) {
        const std::optional<HotKey> key = ParseHotKey(text);
        ASSERT_TRUE(key) << text;
        EXPECT_EQ(HotKeyText(*key), canonical);
        EXPECT_EQ(ParseHotKey(canonical), key);
    }
    EXPECT_EQ(ParseHotKey("alt+ctrl+z"), kDefaultHideKey);
    EXPECT_EQ(ParseHotKey("Alt+F12"), (HotKey{HotKey::kAlt, 0x7B}));
    for (const char* bad :
         {"Ctrl+F13", "Ctrl+F0", "Ctrl+F01", "Z", "F9", "Ctrl+Control+Z", "Alt+Alt+Z", "Ctrl+Z+Alt",
          "Ctrl+Alt", "Ctrl+Alt+", "Ctrl++Z", "Ctrl+1", "Ctrl+ZZ", "Hyper+Z", "热键", ""}) {
        EXPECT_FALSE(ParseHotKey(bad)) << bad;
    }
}

TEST(HotKey, MessageLinesNameTheKeyAndCutTheValueBetweenCharacters) {
    EXPECT_EQ(TakenHideKeyLine(*ParseHotKey("shift+ctrl+f9")),
              "隐藏热键 Ctrl+Shift+F9 已被其他程序占用");
    // 40 bytes are shown: a double-byte character across the cut is left out whole.
    const std::string x39(39, 'x');
    EXPECT_EQ(UnreadableHideKeyLine(x39 + "键"), "隐藏热键 " + x39 + " 无法识别，使用 Ctrl+Alt+Z");
}

}  // namespace
}  // namespace tickra
