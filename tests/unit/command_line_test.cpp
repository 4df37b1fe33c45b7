#include <gtest/gtest.h>

#include "app/command_line.h"

namespace tickra {
namespace {

TEST(CommandLine, ArgumentsFollowTheProgramName) {
    struct Case {
        const char *line, *arguments;
    };
    const Case cases[] = {
        {"Tickra.exe", ""},
        {"Tickra.exe /BS", "/BS"},
        {"C:\\Tickra\\Tickra.exe   /bs", "/bs"},
        {"\"C:\\Program Files\\Tickra\\Tickra.exe\" /Bs", "/Bs"},
        {"\"C:\\Program Files\\Tickra.exe\"", ""},
        {"Tickra.exe /BS x", "/BS x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArgumentsAfterProgramName(c.line), c.arguments) << c.line;
    }
}

TEST(CommandLine, TipsSwitchIsExactlySlashBSInAnyCase) {
    struct Case {
        const char* arguments;
        bool on;
    };
    const Case cases[] = {
        {"/BS", true}, {"/bs", true}, {"/Bs", true}, {"/bS", true},   {"/BS x", false},
        {"", false},   {"BS", false}, {"/B", false}, {"/BS ", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TipsSwitchFromArguments(c.arguments), c.on) << c.arguments;
    }
}

}  // namespace
}  // namespace tickra
