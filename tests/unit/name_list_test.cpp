#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "watch/name_list.h"

namespace tickra {
namespace {

using Names = std::vector<std::string>;

std::string Buffer(std::string bytes, size_t size) {
    bytes.resize(size, '\0');
    return bytes;
}

TEST(ParseNameList, ReadsTheListUpToItsDoubleNul) {
    struct Case {
        const char* what;
        std::string buffer;
        Names expected;
    };
    const Case cases[] = {
        {"empty file", Buffer("", 512), {""}},
        {"one name", Buffer(std::string("600000\0", 7), 512), {"600000"}},
        {"three names", Buffer(std::string("a\0bb\0ccc\0", 9), 512), {"a", "bb", "ccc"}},
        {"empty name inside", Buffer(std::string("a\0\0", 3), 512), {"a"}},
        {"bytes after the end are ignored", Buffer(std::string("a\0\0zz\0", 6), 512), {"a"}},
        {"cut without final double NUL", std::string("ab\0cd\0ef", 8), {"ab", "cd"}},
        {"no NUL at all", std::string(512, 'x'), {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNameList(c.buffer.data(), c.buffer.size()), c.expected) << c.what;
    }
}

TEST(ParseNameList, ExactFitOf73SixCharacterNames) {
    std::string list;
    Names names;
    for (int i = 0; i < 73; ++i) {
        names.push_back(std::to_string(600000 + i));
        list += names.back() + '\0';
    }
    list += '\0';
    ASSERT_EQ(list.size(), 512u);
    EXPECT_EQ(ParseNameList(list.data(), list.size()), names);
}

// A list that never fits, however large the buffer: one name without end, cut as Windows cuts.
TEST(ReadNameList, TheBufferStopsGrowingAtItsBoundAndDropsTheCutName) {
    size_t largest = 0;
    const auto endless = [&](char* buffer, size_t size) {
        largest = std::max(largest, size);
        std::fill_n(buffer, size - 2, 'x');
        buffer[size - 2] = buffer[size - 1] = '\0';
        return size - 2;
    };
    EXPECT_EQ(ReadNameList(endless), Names{});
    EXPECT_EQ(largest, kNameListMaxSize);
}

}  // namespace
}  // namespace tickra
