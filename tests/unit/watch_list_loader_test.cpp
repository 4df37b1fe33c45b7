#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "unit/fake_profile.h"
#include "unit/test_support.h"
#include "watch/profile_text.h"
#include "watch/watch_list_loader.h"

namespace tickra {
namespace {

using testing::FakeProfile;
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

TEST(LoadWatchList, LongFilesLoadEveryRow) {
    for (auto cut : {FakeProfile::Cut::kWindows, FakeProfile::Cut::kWine}) {
        for (int sections : {73, 74, 80, 1000}) {
            FakeProfile file(testing::SixDigitSections(sections), cut);
            const WatchList list = LoadWatchList(file);
            ASSERT_EQ(list.size(), static_cast<size_t>(sections)) << sections;
            EXPECT_EQ(list.front().code, "600000");
            EXPECT_EQ(list.back().code, std::to_string(600000 + sections - 1));
            EXPECT_EQ(list.back().break_below, "1");
        }
    }
}

TEST(LoadWatchList, LongNamesNeitherHideRowsNorBecomeRows) {
    const std::string long_name(5000, 'x');
    for (auto cut : {FakeProfile::Cut::kWindows, FakeProfile::Cut::kWine}) {
        FakeProfile file("[600000]\n" + long_name + "=1\nunder=9\n[" + long_name +
                             "]\nunder=1\n[600001]\nover=2\n",
                         cut);
        std::vector<Names> rows;
        for (const WatchRow& row : LoadWatchList(file)) {
            rows.push_back({row.code, row.break_below, row.cross_above});
        }
        EXPECT_EQ(rows, (std::vector<Names>{{"600000", "9", ""}, {"600001", "", "2"}}));
    }
}

// The one-pass reader fills each buffer as the profile functions would, whatever its size: with
// the names so far ending one byte before its end (73 six-digit codes in 512 bytes), the next name
// must not go past it. Each buffer is a heap block of exactly its size, for the sanitizers.
TEST(ProfileText, ListsNeverPassTheBufferAndLongFilesLoadEveryRow) {
    ProfileText text("[" + std::string(40, 'x') + "]\n" + testing::SixDigitSections(150));
    const Names all = ReadSectionNames(text);
    ASSERT_EQ(all.size(), 151u);
    for (size_t size = 2; size <= 1200; ++size) {
        std::vector<char> buffer(size);
        ASSERT_LT(text.GetSectionNames(buffer.data(), size), size);
        const Names read = ParseNameList(buffer.data(), size);  // the last one perhaps cut short
        ASSERT_LE(read.size(), all.size());
        EXPECT_TRUE(std::equal(read.begin(), read.end() - (read.empty() ? 0 : 1), all.begin()));
    }
    for (int count : {74, 586, 4682}) {
        ProfileText rows(testing::SixDigitSections(count));
        EXPECT_EQ(LoadWatchList(rows).size(), static_cast<size_t>(count));
    }
}

// A list that never fits, however large the buffer: one name without end, cut as Windows cuts.
class EndlessList : public FakeProfile {
public:
    EndlessList() : FakeProfile("") {}
    size_t GetSectionNames(char* buffer, size_t size) override {
        largest = std::max(largest, size);
        std::fill_n(buffer, size - 2, 'x');
        buffer[size - 2] = buffer[size - 1] = '\0';
        return size - 2;
    }
    size_t largest = 0;
};

TEST(ReadSectionNames, TheBufferStopsGrowingAtItsBoundAndDropsTheCutName) {
    EndlessList file;
    EXPECT_EQ(ReadSectionNames(file), Names{});
    EXPECT_EQ(file.largest, kNameListMaxSize);
}

TEST(LoadWatchList, RowsFollowTheFile) {
    struct Case {
        const char* what;
        const char* ini;
        std::vector<Names> rows;  // code, under, over, sale, cdt
    };
    const Case cases[] = {
        {"missing file", "", {}},
        {"sections in file order, keys in any order",
         "[600000]\nsale=10.5\nunder=9.50\n[000001]\ncdt=2008-07-08\nover=12\n[1A0001]\n",
         {{"600000", "9.50", "", "10.5", ""},
          {"000001", "", "12", "", "2008-07-08"},
          {"1A0001", "", "", "", ""}}},
        {"only over", "[600036]\nover=15\n", {{"600036", "", "15", "", ""}}},
        {"key names are case-sensitive",
         "[600000]\nUnder=9\nSALE=3\n",
         {{"600000", "", "", "", ""}}},
        {"other keys are ignored", "[600000]\nname=x\nunder=1\n", {{"600000", "1", "", "", ""}}},
        {"a code's second section is no row: the profile functions read only the first",
         "[600000]\nunder=1\n[600001]\n[600000]\nunder=2\n",
         {{"600000", "1", "", "", ""}, {"600001", "", "", "", ""}}},
        {"empty section name gives no row",
         "[]\nunder=1\n[600000]\n",
         {{"600000", "", "", "", ""}}},
        {"a name longer than a code gives no row (a cut name would be written elsewhere)",
         "[6000001234567890X]\nunder=1\n[600000]\n",
         {{"600000", "", "", "", ""}}},
        {"values are kept as written",
         "[600000]\nunder= 9.5x\nover=\n",
         {{"600000", " 9.5x", "", "", ""}}},
    };
    for (const Case& c : cases) {
        FakeProfile file(c.ini);
        const WatchList list = LoadWatchList(file);
        std::vector<Names> rows;
        for (const WatchRow& row : list) {
            rows.push_back(
                {row.code, row.break_below, row.cross_above, row.balance, row.data_date});
        }
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

TEST(LoadWatchList, ValuesKeepAtMost255Bytes) {
    FakeProfile file("[600000]\nunder=" + std::string(300, '7') + "\n");
    EXPECT_EQ(LoadWatchList(file).at(0).break_below, std::string(255, '7'));
}

TEST(LoadWatchList, EveryRowStartsWithAFreshStockEntry) {
    FakeProfile file("[600000]\n[000001]\n");
    const WatchList list = LoadWatchList(file);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0].entry.get(), list[1].entry.get());
    for (const WatchRow& row : list) {
        EXPECT_EQ(row.entry->minute_stamp, -1);
        EXPECT_EQ(row.entry->previous_price, -1.0f);
        for (float sample : row.entry->history) {
            EXPECT_EQ(sample, -1.0f);
        }
    }
}

}  // namespace
}  // namespace tickra
