#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "base/code_page_win.h"
#include "base/file_win.h"
#include "base/mbcs.h"
#include "unit/test_support.h"
#include "watch/name_list.h"
#include "watch/profile_file_win.h"
#include "watch/profile_text.h"
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

    const WatchList rows = LoadWatchList(ProfileText(file.Read().text));
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
        EXPECT_EQ(file.SectionNames(), std::vector<std::string>{""}) << name;
        EXPECT_TRUE(LoadWatchList(ProfileText(file.Read().text)).empty()) << name;
    }
}

TEST(PrivateProfileFile, Gb2312ValuesRoundTripByteForByte) {
    testing::ScopedWorkingDirectory folder;
    PrivateProfileFile file(folder.path() + "\\code.ini");
    file.WriteString("600000", "under", "9.50");
    file.WriteString("600000", "cdt", "2008年7月8日");
    const WatchList rows = LoadWatchList(ProfileText(file.Read().text));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].break_below, "9.50");
    EXPECT_EQ(rows[0].data_date, "2008年7月8日");
}

// A new section in one write leaves the bytes that a write a key leaves.
TEST(PrivateProfileFile, ANewSectionInOneWriteIsTheSameAsAKeyAtATime) {
    testing::ScopedWorkingDirectory folder;
    const ProfileFile::Keys keys = {{"under", "1.5"}, {"over", "0"}, {"sale", ""}, {"cdt", ""}};
    for (const std::string start : {"", "[600000]\r\nunder=1\r\n", "\xEF\xBB\xBF[600001]\r\n",
                                    // Another copy added the stock meanwhile, with keys of its own.
                                    "[\xC6\xD6"
                                    "000]\r\nname=x\r\nunder=1\r\n"}) {
        folder.WriteFile("a.ini", start);
        folder.WriteFile("b.ini", start);
        PrivateProfileFile a(folder.path() + "\\a.ini"), b(folder.path() + "\\b.ini");
        ASSERT_TRUE(
            a.WriteNewSection("\xC6\xD6"
                              "000",
                              keys));
        for (const auto& [key, value] : keys) {
            ASSERT_TRUE(
                b.WriteString("\xC6\xD6"
                              "000",
                              key.c_str(), value.c_str()));
        }
        EXPECT_EQ(ReadFileBytes(Widen(folder.path() + "\\a.ini"), 1 << 20),
                  ReadFileBytes(Widen(folder.path() + "\\b.ini"), 1 << 20))
            << start;
    }
}

// Where the ANSI code page is UTF-8, a Chinese character takes three bytes, not two.
TEST(PrivateProfileFile, TextIsReadWholeInAUtf8CodePage) {
    const std::u8string text = u8"[600000]\r\ncdt=二〇〇八年七月八日星期二下午三点收盘的数据\r\n";
    const std::string utf8(text.begin(), text.end());
    EXPECT_EQ(ProfileTextFromBytes(utf8, CP_UTF8), utf8);
    EXPECT_EQ(ProfileTextFromBytes("\xEF\xBB\xBF" + utf8, CP_UTF8), utf8);
}

// code.ini read in one pass gives the rows that the profile functions give, list by list and key
// by key.
TEST(ProfileText, OddFilesGiveTheRowsOfTheProfileFunctions) {
    const std::string long_text(300, '9'), long_gb2312 = [] {
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += "\xBA\xBA";  // 汉
        }
        return text;
    }();
    const std::string files[] = {
        "[600000]\r\nunder=1\r\n[600000]\r\nunder=2\r\n[600001]\r\n",  // a section twice
        "[600000]\r\nunder=1\r\nUNDER=2\r\nunder=3\r\nOver=4\r\n",     // a key twice, case
        "  [ 600001 ]  \r\n  under  =  4  \r\n\t[600002]\t\r\nover\t=\t5\r\n\x1A",
        "\xA1\xA1[600003]\xA1\xA1\r\nunder\xA1\xA1=\xA1\xA1 6\r\n",  // ideographic spaces
        ";[600004]\r\n[600005]\r\n;under=8\r\nunder=9\r\n",          // comments
        "[600006]\r\nunder\r\nover=10\r\n[600007\r\nsale=11\r\n[]\r\ncdt=x\r\n",
        "[600008]\r\nunder=" + long_text + "\r\ncdt=" + long_gb2312 + "\r\n",
        "\xEF\xBB\xBF[600009]\r\nunder=12\r\n[\xE6\xB5\xA6]\r\nover=13\r\n",  // UTF-8
        std::string("\xFF\xFE[\0"
                    "6\0"
                    "]\0\r\0\n\0u\0n\0d\0e\0r\0=\0"
                    "7\0",
                    26),
        std::string("[\0"
                    "6\0"
                    "]\0\r\0\n\0u\0n\0d\0e\0r\0=\0"
                    "7\0",
                    24),                                        // no mark
        "[600010]\r\nunder=\"13\"\r\nover='14\r\nsale=''\r\n",  // quotes
        "[600011]\r\n=x\r\n=y\r\nunder=15\r\n[600012]\r\nunder=1\r\n=z\r\nover=2\r\n",
        "under=1\r\n[600012]\nover=16\rsale=17",              // odd line ends
        "[\xB0\x5D]\r\nunder=18\r\n[\xB0]x]\r\nover=19\r\n",  // "]" as a trail byte
    };
    testing::ScopedWorkingDirectory folder;
    const std::string path = folder.path() + "\\code.ini";
    for (const std::string& bytes : files) {
        folder.WriteFile("code.ini", bytes);
        PrivateProfileFile file(path);
        std::vector<std::vector<std::string>> typed, asked;
        for (const WatchRow& r : LoadWatchList(ProfileText(file.Read().text))) {
            typed.push_back({r.code, r.break_below, r.cross_above, r.balance, r.data_date});
        }
        std::set<std::string> codes;  // the loader's rules, with every list and value asked
        for (const std::string& code : file.SectionNames()) {
            if (code.empty() || code.size() > kMaxCodeBytes ||
                !codes.insert(UpperCaseMbcs(code)).second) {
                continue;
            }
            const std::vector<std::string> keys = file.KeyNames(code);
            asked.push_back({code});
            for (const char* key : {"under", "over", "sale", "cdt"}) {
                std::array<char, kValueBufferSize> value{};
                if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
                    GetPrivateProfileStringA(code.c_str(), key, "", value.data(), value.size(),
                                             path.c_str());
                }
                value.back() = '\0';
                asked.back().emplace_back(value.data());
            }
        }
        EXPECT_EQ(typed, asked) << bytes;
    }
}

}  // namespace
}  // namespace tickra
