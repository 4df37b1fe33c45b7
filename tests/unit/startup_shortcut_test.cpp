#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/startup_shortcut.h"

namespace tickra {
namespace {

TEST(StartupShortcut, AnotherCopysShortcutIsNeverTakenOver) {
    using H = ShortcutHolder;
    // What "Tickra.lnk", "Tickra 2.lnk", … hold, in order, and the place this copy finds.
    const std::tuple<std::vector<H>, std::wstring, bool> cases[] = {
        {{}, L"Tickra.lnk", false},
        {{H::kThisCopy}, L"Tickra.lnk", true},
        {{H::kSomethingElse, H::kSomethingElse}, L"Tickra 3.lnk", false},
        {{H::kNone, H::kThisCopy}, L"Tickra 2.lnk", true},
        {std::vector<H>(9, H::kSomethingElse), L"", false},
    };
    for (const auto& [held, name, exists] : cases) {
        const ShortcutPlace place = FindShortcutPlace([&](const std::wstring& asked) {
            for (size_t i = 0; i < held.size(); ++i) {
                if (asked ==
                    (i == 0 ? L"Tickra.lnk" : L"Tickra " + std::to_wstring(i + 1) + L".lnk")) {
                    return held[i];
                }
            }
            return H::kNone;
        });
        EXPECT_EQ(place.name, name) << held.size();
        EXPECT_EQ(place.exists, exists) << held.size();
    }
}

}  // namespace
}  // namespace tickra
