#include <gtest/gtest.h>

#include <string>

#include "watch/mbcs.h"

namespace tickra {
namespace {

TEST(UpperCaseMbcs, TouchesOnlySingleByteLetters) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"1a0001", "1A0001"},
        {"600000", "600000"},
        {"", ""},
        {"/bs", "/BS"},
        // A double-byte character whose trail byte looks like "a" stays whole.
        {"\x81\x61z", "\x81\x61Z"},
        {"浦发a", "浦发A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpperCaseMbcs(c.in), c.out) << c.in;
    }
}

TEST(CutAtCharBoundary, NeverSplitsADoubleByteCharacter) {
    const std::string text = "ab浦发";  // 2 + 2 × 2 bytes
    struct Case {
        size_t max;
        std::string out;
    };
    const Case cases[] = {
        {10, text}, {6, text}, {5, "ab浦"}, {4, "ab浦"}, {3, "ab"}, {1, "a"}, {0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutAtCharBoundary(text, c.max), c.out) << c.max;
    }
}

TEST(FindMbcs, StepsOverTrailBytes) {
    // 0x7C ("|") is also a valid trail byte of code page 936.
    const std::string text = "\x81\x7C|x|";
    EXPECT_EQ(FindMbcs(text, '|'), 2u);
    EXPECT_EQ(FindMbcs(text, '|', 3), 4u);
    EXPECT_EQ(FindMbcs(text, ';'), std::string::npos);
}

}  // namespace
}  // namespace tickra
