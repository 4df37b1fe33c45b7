#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "update/upgrade_signature_win.h"

namespace tickra {
namespace {

std::string Bytes(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Signed by tools/marketsim/p256.py: with the simulator's test key, and with another key.
const std::string kImage = "MZ Tickra upgrade image, signed for the tests\n";
const std::string kSignature = Bytes(
    "B0AE7A15BDA573BC0184C11540E71CDE7D83D04C6419673BB5A78D7BD42E0218"
    "140B24C8315C4931B7D870B7AF207E881232803D3DD0DF74EA1B1DF12D33142E");
const std::string kForeignSignature = Bytes(
    "1181A0F9A433D291393613E9894DEE30959E23D4EFE1E839CAA1D1DF63B29323"
    "56DA28339D9B2EA10943D0DB6A7F70CCBD4E840443D5A733971B5EA4C2E8ACD8");
const std::string kTestKey =
    "706AF35B2DBE9853DA32F5CC476277E6D9835D7CE067AFE7FB8C0504C141424D"
    "FF30827648A6CE7C11A58DE080B835629FDF96E85E9F56DC124DDDEC5B0DDDE6";
const std::string kForeignKey =
    "E64149F2FA55570049BD424A0D71E7463350AA2EB489A254B79B49F03B42B543"
    "2EA4EF9AB6313E9471552CDE23D16849E4103C907A1FB680D8C183930CEC6CFD";

TEST(UpgradeSignature, OnlyThePublishersSignatureOverTheExactBytesPasses) {
    std::string changed = kImage;
    changed[10] ^= 1;
    struct Case {
        const char* what;
        std::string image, signature, key;
        bool valid;
    };
    const Case cases[] = {
        {"valid", kImage, kSignature, kTestKey, true},
        {"lower-case key", kImage, kSignature, Lower(kTestKey), true},
        {"one byte changed", changed, kSignature, kTestKey, false},
        {"signed with a foreign key", kImage, kForeignSignature, kTestKey, false},
        {"checked against a foreign key", kImage, kSignature, kForeignKey, false},
        {"63 bytes", kImage, kSignature.substr(0, 63), kTestKey, false},
        {"65 bytes", kImage, kSignature + "x", kTestKey, false},
        {"no signature", kImage, "", kTestKey, false},
        {"empty key", kImage, kSignature, "", false},
        {"key not hexadecimal", kImage, kSignature, std::string(128, 'G'), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VerifyUpgradeSignature(c.image, c.signature, c.key), c.valid) << c.what;
    }
}

}  // namespace
}  // namespace tickra
