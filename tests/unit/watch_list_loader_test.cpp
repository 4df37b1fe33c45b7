#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/test_support.h"
#include "watch/name_list.h"
#include "watch/profile_text.h"
#include "watch/watch_list_loader.h"

namespace tickra {
namespace {

using Names = std::vector<std::string>;

TEST(LoadWatchList, LongFilesLoadEveryRow) {
    for (int sections : {73, 74, 80, 586, 1000, 4682}) {
        const WatchList list = LoadWatchList(ProfileText(testing::SixDigitSections(sections)));
        ASSERT_EQ(list.size(), static_cast<size_t>(sections)) << sections;
        EXPECT_EQ(list.front().code, "600000");
        EXPECT_EQ(list.back().code, std::to_string(600000 + sections - 1));
        EXPECT_EQ(list.back().break_below, "1");
    }
}

TEST(LoadWatchList, LongNamesNeitherHideRowsNorBecomeRows) {
    const std::string long_name(5000, 'x');
    std::vector<Names> rows;
    for (const WatchRow& row :
         LoadWatchList(ProfileText("[600000]\n" + long_name + "=1\nunder=9\n[" + long_name +
                                   "]\nunder=1\n[600001]\nover=2\n"))) {
        rows.push_back({row.code, row.break_below, row.cross_above});
    }
    EXPECT_EQ(rows, (std::vector<Names>{{"600000", "9", ""}, {"600001", "", "2"}}));
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
         "[600000]\nunder=\" 9.5x\"\nover=\n",
         {{"600000", " 9.5x", "", "", ""}}},
    };
    for (const Case& c : cases) {
        const WatchList list = LoadWatchList(ProfileText(c.ini));
        std::vector<Names> rows;
        for (const WatchRow& row : list) {
            rows.push_back(
                {row.code, row.break_below, row.cross_above, row.balance, row.data_date});
        }
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

// A list is read as far as the profile functions' largest buffer holds it: one that fills it to
// its last two bytes, or is cut, loses its last name.
TEST(LoadWatchList, ListsEndWhereTheLargestBufferEnds) {
    struct Case {
        size_t name_bytes;
        bool section;  // else a key
        std::vector<Names> rows;
    };
    const Case cases[] = {
        {kNameListMaxSize - 11, true, {{"600000", "9"}}},
        {kNameListMaxSize - 10, true, {}},
        {kNameListMaxSize - 10, false, {{"600000", "9"}}},
        {kNameListMaxSize - 9, false, {{"600000", ""}}},
    };
    for (const Case& c : cases) {
        const std::string name(c.name_bytes, 'x');
        std::vector<Names> rows;
        for (const WatchRow& row :
             LoadWatchList(ProfileText(c.section ? "[" + name + "]\n[600000]\nunder=9\n"
                                                 : "[600000]\n" + name + "=1\nunder=9\n"))) {
            rows.push_back({row.code, row.break_below});
        }
        EXPECT_EQ(rows, c.rows) << c.name_bytes << c.section;
    }
}

TEST(LoadWatchList, ValuesKeepAtMost255Bytes) {
    const ProfileText file("[600000]\nunder=" + std::string(300, '7') + "\n");
    EXPECT_EQ(LoadWatchList(file).at(0).break_below, std::string(255, '7'));
}

TEST(LoadWatchList, EveryRowStartsWithAFreshStockEntry) {
    const WatchList list = LoadWatchList(ProfileText("[600000]\n[000001]\n"));
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
