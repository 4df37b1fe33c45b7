#include <gtest/gtest.h>

#include <string>

#include "base/mbcs.h"

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

TEST(FindMbcs, AgreesWithAByteByByteScan) {
    // The reference: walk characters from the start. A lead byte takes the next byte only when
    // that can be a trail byte: ";" (0x3B) after a lone lead byte is still a separator.
    auto reference = [](const std::string& text, char c, size_t from) {
        for (size_t i = from; i < text.size(); i += CharWidth(text, i)) {
            if (text[i] == c) {
                return i;
            }
        }
        return std::string::npos;
    };
    const std::string texts[] = {
        "",
        ";",
        "a;b",
        "\x81;;",
        "\x81\x81;",
        "\x81\x81\x81;x;",
        "\xB0\xA1\xB0;\xB0\xA1;",
        "\xFE",
        "\x81\x81\x81\x81\x81;;",
        std::string(7, '\x90') + ";" + std::string(4, '\x90') + ";",
        "\x81x\x81\x81x;x",
        "\xB0\x7Fx\xB0x",
    };
    for (const std::string& text : texts) {
        // Searches start on character boundaries only.
        for (size_t from = 0; from <= text.size();
             from += from < text.size() ? CharWidth(text, from) : 1) {
            for (char c : {';', 'x'}) {
                EXPECT_EQ(FindMbcs(text, c, from), reference(text, c, from)) << from << c;
            }
        }
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
