#include <gtest/gtest.h>

#include "base/text_util.h"

namespace tickra {
namespace {

TEST(Split, KSeparatorsGiveKPlusOnePieces) {
    struct Case {
        std::string text;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a;b", {"a", "b"}},
        {";;", {"", "", ""}},
        {"a;", {"a", ""}},
        {"\x81;x;y", {"\x81", "x", "y"}},  // ";" is no trail byte: a lone lead byte ends
        {"\x81|;y", {"\x81|", "y"}},       // "|" is one, and belongs to the character
    };
    for (const Case& c : cases) {
        std::vector<std::string> pieces;
        Split(c.text, ';', pieces);
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
    std::vector<std::string> appended{"kept"};
    Split("x|y", '|', appended);
    EXPECT_EQ(appended, (std::vector<std::string>{"kept", "x", "y"}));
}

TEST(ParseNumbers, FollowTheCLibrary) {
    const std::pair<const char*, float> floats[] = {
        {"9.50", 9.5f}, {"  12abc", 12.0f}, {"abc", 0.0f}, {"", 0.0f}, {"-0.05", -0.05f},
    };
    for (auto [text, value] : floats) {
        EXPECT_FLOAT_EQ(ParseFloat(text), value) << text;
    }
    const std::pair<const char*, int> ints[] = {
        {"1", 1}, {"3x", 3}, {"abc", 0}, {" -2", -2}, {"99999999999", 2147483647},
    };
    for (auto [text, value] : ints) {
        EXPECT_EQ(ParseInt(text), value) << text;
    }
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(ReplaceAll("&lt;b&gt;x&lt;/b&gt;", "&lt;", "<"), "<b&gt;x</b&gt;");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(CopyTerminated, AlwaysEndsWithANulAndNeverWritesPastTheBuffer) {
    using namespace std::literals;
    struct Case {
        size_t capacity, copied;
        std::wstring_view buffer;
    };
    for (const Case& c : {Case{0, 0, L"#####"sv}, Case{1, 0, L"\0####"sv}, Case{3, 2, L"ab\0##"sv},
                          Case{4, 3, L"abc\0#"sv}}) {
        std::wstring buffer(5, L'#');
        EXPECT_EQ(CopyTerminated(L"abc", buffer.data(), c.capacity), c.copied) << c.capacity;
        EXPECT_EQ(buffer, c.buffer) << c.capacity;
    }
}

}  // namespace
}  // namespace tickra
