#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/startup_shortcut.h"

namespace tickra {
namespace {

TEST(StartupShortcut, AnotherCopysShortcutIsNeverTakenOver) {
    using H = ShortcutHolder;
    struct Case {
        std::map<std::wstring, H> folder;
        const wchar_t* name;
        bool exists;
    };
    const Case cases[] = {
        {{}, L"Tickra.lnk", false},
        {{{L"Tickra.lnk", H::kThisCopy}}, L"Tickra.lnk", true},
        {{{L"Tickra.lnk", H::kSomethingElse}}, L"Tickra 2.lnk", false},
        {{{L"Tickra 2.lnk", H::kThisCopy}}, L"Tickra 2.lnk", true},
        {{{L"Tickra.lnk", H::kSomethingElse}, {L"Tickra 2.lnk", H::kSomethingElse}},
         L"Tickra 3.lnk",
         false},
    };
    for (const Case& c : cases) {
        const ShortcutPlace place = FindShortcutPlace([&](const std::wstring& name) {
            const auto found = c.folder.find(name);
            return found == c.folder.end() ? H::kNone : found->second;
        });
        EXPECT_EQ(place.name, c.name) << c.folder.size();
        EXPECT_EQ(place.exists, c.exists) << c.folder.size();
    }
    EXPECT_EQ(FindShortcutPlace([](const std::wstring&) { return H::kSomethingElse; }).name, L"");
}

}  // namespace
}  // namespace tickra
