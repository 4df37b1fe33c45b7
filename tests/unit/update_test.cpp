#include <gtest/gtest.h>

#include <string>

#include "unit/test_support.h"
#include "update/executable_check.h"
#include "update/link_policy.h"
#include "update/update_notice.h"
#include "update/upgrade_offer.h"

namespace tickra {
namespace {

TEST(UpdateNotice, SevenFieldsBetweenTheFirstTwoMarkers) {
    const std::string other =
        "page[/]1.0|http://h/T.exe|x|新版\\n说明|y|&lt;b&gt;公告&lt;/b&gt;|"
        "http://h/dl[/]after[/]more";
    const auto notice = ParseUpdateNotice(other);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->upgrade_address, "http://h/T.exe");
    EXPECT_EQ(notice->upgrade_description, "新版\\n说明");
    EXPECT_EQ(notice->download_page, "http://h/dl");
    EXPECT_EQ(notice->announcement, "&lt;b&gt;公告&lt;/b&gt;");

    const auto same =
        ParseUpdateNotice(std::string("[/]") + kProgramVersion + "|http://h/T.exe|||||[/]");
    ASSERT_TRUE(same);
    EXPECT_EQ(same->upgrade_address, "") << "the same version offers no upgrade";
    EXPECT_EQ(same->announcement, "");

    for (const char* page : {"no markers at all", "[/]one marker|a|b|c|d|e|f",
                             "[/]a|b|c|d|e|f|g|h[/]", "[/]a|b|c|d|e|f[/]", ""}) {
        EXPECT_FALSE(ParseUpdateNotice(page)) << page;
    }
}

TEST(UpdateNotice, Texts) {
    EXPECT_EQ(UpdatePageObject(testing::At(9, 30, 5)),
              "blog/static/7008789200853043922656/?now=093005");
    EXPECT_EQ(AnnouncementPage("&lt;b&gt;x&lt;/b&gt;"),
              "<html><head><meta http-equiv='Content-Type' content='text/html; charset=gb2312'>"
              "<style type='text/css'><!--body {margin-left: 0px;\tmargin-top: 0px;}--></style>"
              "</head><body><b>x</b></body></html>");
    EXPECT_EQ(ExpandLineBreaks("a\\nb\nc\\n"), "a\r\nb\nc\r\n");
    EXPECT_EQ(RenamerMissingText("说明", "http://h/dl"),
              "说明\r\n\r\n***************************\r\n\r\n找不到ReName.exe更名程序。\r\n\r\n"
              "请自行将目录下的Tickra.exe删除，然后再将Tickra.upg更名为Tickra.exe。\r\n\r\n或到"
              "http://h/dl重新下载。");
    EXPECT_EQ(AnnouncementPlainText("<p>新版<b>2.1</b>&nbsp;上线</p><a href='x'>看看</a>"),
              "新版2.1 上线\r\n看看");
}

// The announcement is anyone's to write: only its web links leave the panel, in the browser.

TEST(PanelLinks, OnlyWebAddressesOpenAndOnlyTheBlankPageShows) {
    const auto show = LinkAction::kShowInPanel;
    const auto open = LinkAction::kOpenOutside;
    const auto cancel = LinkAction::kCancel;
    struct Case {
        const wchar_t* address;
        LinkAction action;
        const wchar_t* opened;
    };
    const Case cases[] = {
        {L"about:blank", show, L""},
        {L"ABOUT:Blank", show, L""},
        {L"http://www.example.com/a?b=1#c", open, L"http://www.example.com/a?b=1#c"},
        {L"HTTPS://Example.com", open, L"HTTPS://Example.com"},
        {L"  http://x.test/\r\n", open, L"http://x.test/"},
        {L"http://x.test/\" --new-window file:c:/", cancel, L""},
        {L"http://x.test/a b", cancel, L""},
        {L"http://x.test/\ta", cancel, L""},
        {L"http:///c:/windows", cancel, L""},
        {L"http:\\\\server\\share", cancel, L""},
        {L"http:", cancel, L""},
        {L"\xFF48ttp://x.test", cancel, L""},  // a full-width letter is no "h"
        {L"httpx://x.test", cancel, L""},
        {L"file:///c:/windows/system32/calc.exe", cancel, L""},
        {L"C:\\Windows\\System32\\calc.exe", cancel, L""},
        {L"\\\\server\\share\\run.exe", cancel, L""},
        {L"javascript:alert(1)", cancel, L""},
        {L"vbscript:msgbox(1)", cancel, L""},
        {L"mailto:a@b.test", cancel, L""},
        {L"ms-settings:privacy", cancel, L""},
        {L"app:run", cancel, L""},
        {L"res://ieframe.dll/navcancl.htm", cancel, L""},
        {L"about:blank#x", cancel, L""},
        {L"about:home", cancel, L""},
        {L"", cancel, L""},
        {L"%%%", cancel, L""},
    };
    for (const Case& c : cases) {
        const LinkDecision decision = DecidePanelNavigation(c.address);
        EXPECT_EQ(decision.action, c.action) << ::testing::PrintToString(std::wstring(c.address));
        EXPECT_EQ(decision.address, c.opened);
    }
}

// A minimal PE header: "MZ", the offset of "PE\0\0", then machine and characteristics.
std::string Image(uint16_t machine, uint16_t characteristics, uint32_t pe_offset = 0x80) {
    std::string bytes(0x200, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
        bytes[0x3C + i] = static_cast<char>((pe_offset >> (8 * i)) & 0xFF);
    }
    if (pe_offset + 24 <= bytes.size()) {
        bytes.replace(pe_offset, 4, std::string("PE\0\0", 4));
        bytes[pe_offset + 4] = static_cast<char>(machine & 0xFF);
        bytes[pe_offset + 5] = static_cast<char>(machine >> 8);
        bytes[pe_offset + 22] = static_cast<char>(characteristics & 0xFF);
        bytes[pe_offset + 23] = static_cast<char>(characteristics >> 8);
    }
    return bytes;
}

TEST(UpgradeOffer, OnlyTickraOfTheOfferedNewerVersionIsHandedOver) {
    struct Case {
        ImageVersion image;
        const char* offered;
        bool handed_over;
    };
    const char* running = "2.0.20080708";
    const Case cases[] = {
        {{"Tickra", "2.0.20080709"}, "2.0.20080709", true},
        {{"Tickra", "2.1"}, "2.1.0", true},                   // compared as numbers
        {{"Tickra", "10.0"}, "10.0", true},                   // not as text
        {{"Tickra", "1.0"}, "1.0", false},                    // an older release replayed
        {{"Tickra", "2.0.20080708"}, "2.0.20080708", false},  // the running one
        {{"Tickra", "2.0.20080708"}, "2.0.20080709", false},  // not what was offered
        {{"ReName", "2.0.20080709"}, "2.0.20080709", false},  // another signed program
        {{"", ""}, "2.0.20080709", false},                    // no version resource
        {{"Tickra", "2.0.x"}, "2.0.x", false},
        {{"Tickra", "2..1"}, "2..1", false},
        {{"Tickra", "99999999999999999999"}, "99999999999999999999", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsOfferedUpgrade(c.image, c.offered, running), c.handed_over)
            << c.image.product_name << " " << c.image.file_version << " offered " << c.offered;
    }
}

TEST(UpgradeOffer, ALongDescriptionIsCutAtACharacterBoundary) {
    std::string characters = "x";
    for (int i = 0; i < 3000; ++i) {
        characters += "新";
    }
    const std::string a(kMaxDescriptionBytes - 2, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"新版本\\n修正", "新版本\r\n修正"},
        // Two-byte characters after one byte: the limit falls inside one.
        {characters, characters.substr(0, kMaxDescriptionBytes - 1) + "…"},
        // A line break cut in two leaves no stray backslash...
        {a + "b\\n" + std::string(100, 'c'), a + "b…"},
        // ...but a character whose second byte looks like one stays whole.
        {a + "\x81\x5c" + std::string(100, 'c'), a + "\x81\x5c…"},
    };
    for (const auto& [description, shown] : cases) {
        EXPECT_EQ(DescriptionText(description), shown) << description.size();
    }
}

TEST(ExecutableCheck, OnlyWholeX64Programs) {
    struct Case {
        const char* what;
        std::string bytes;
        bool ok;
    };
    const Case cases[] = {
        {"x64 program", Image(0x8664, 0x0022), true},
        {"x86 program", Image(0x014C, 0x0102), false},
        {"x64 DLL", Image(0x8664, 0x2022), false},
        {"not executable", Image(0x8664, 0x0020), false},
        {"header past the end", Image(0x8664, 0x0022, 0x1000), false},
        {"truncated", Image(0x8664, 0x0022).substr(0, 0x90), false},
        {"HTML page", "<html><body>404 Not Found</body></html>", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWindowsExecutable(c.bytes), c.ok) << c.what;
    }
}

}  // namespace
}  // namespace tickra
