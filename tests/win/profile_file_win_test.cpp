#include <gtest/gtest.h>

#include "unit/test_support.h"
#include "watch/profile_file_win.h"
#include "watch/watch_list_loader.h"
#include "win/win_test_support.h"

namespace tickra {
namespace {

// The system's own profile functions, including how they cut a list that does not fit.
TEST(PrivateProfileFile, CutListsYieldOnlyWholeNames) {
    testing::ScopedWorkingDirectory folder;
    folder.WriteFile("code.ini", testing::SixDigitSections(80, ""));
    PrivateProfileFile file(folder.path() + "\\code.ini");
    const std::vector<std::string> names = ReadSectionNames(file);
    ASSERT_EQ(names.size(), 73u);
    EXPECT_EQ(names.back(), "600072");
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
    EXPECT_EQ(rows[0].under, "9.50");
    EXPECT_EQ(rows[0].data_date, "2008年7月8日");
}

}  // namespace
}  // namespace tickra
