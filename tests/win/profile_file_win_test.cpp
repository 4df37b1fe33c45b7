#include <gtest/gtest.h>

#include "unit/test_support.h"
#include "watch/profile_file_win.h"
#include "watch/watch_list_loader.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

// The system's own profile functions: how they cut a list that does not fit and say so, and
// that the watch list is read whole all the same.
TEST(PrivateProfileFile, CutListsAreToldAndLongListsLoadWhole) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", testing::SixDigitSections(120, "over=2\r\ncdt=2008-07-08\r\n") +
                                     "[700000]\r\n" + std::string(600, 'k') + "=1\r\nunder=9\r\n");
    PrivateProfileFile file(folder.path() + "\\code.ini");
    std::vector<char> buffer(512);
    EXPECT_EQ(file.GetSectionNames(buffer.data(), buffer.size()), 510u);
    const std::vector<std::string> cut = ParseNameList(buffer.data(), buffer.size());
    ASSERT_EQ(cut.size(), 73u);
    EXPECT_EQ(cut.back(), "600072");
    EXPECT_EQ(file.GetKeyNames("700000", buffer.data(), buffer.size()), 510u);

    const WatchList rows = LoadWatchList(file);
    ASSERT_EQ(rows.size(), 121u);
    EXPECT_EQ(rows[119].code, "600119");
    EXPECT_EQ(rows[119].cross_above, "2");
    EXPECT_EQ(rows[119].data_date, "2008-07-08");
    EXPECT_EQ(rows[120].break_below, "9");
}

TEST(PrivateProfileFile, EmptyAndMissingFilesGiveOneEmptyName) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("empty.ini", "");
    for (const char* name : {"empty.ini", "missing.ini"}) {
        PrivateProfileFile file(folder.path() + "\\" + name);
        EXPECT_EQ(ReadSectionNames(file), std::vector<std::string>{""}) << name;
        EXPECT_TRUE(LoadWatchList(file).empty()) << name;
    }
}

TEST(PrivateProfileFile, Gb2312ValuesRoundTripByteForByte) {
    testing::ScopedWorkingDirectory folder;
    PrivateProfileFile file(folder.path() + "\\code.ini");
    file.WriteString("600000", "under", "9.50");
    file.WriteString("600000", "cdt", "2008年7月8日");
    const WatchList rows = LoadWatchList(file);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].break_below, "9.50");
    EXPECT_EQ(rows[0].data_date, "2008年7月8日");
}

}  // namespace
}  // namespace tickra
