#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "net/host_port.h"
#include "net/transfer_limits.h"

namespace tickra {
namespace {

TEST(SplitHostPort, PortIsEightyUnlessGiven) {
    struct Case {
        const char* value;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"hq.example.com", "hq.example.com", 80},
        {"127.0.0.1:18400", "127.0.0.1", 18400},
        {"host:65535", "host", 65535},
        {"host:65536", "host:65536", 80},
        {"host:0", "host:0", 80},
        {"host:", "host:", 80},
        {"host:8a", "host:8a", 80},
        {"", "", 80},
    };
    for (const Case& c : cases) {
        const HostPort hp = SplitHostPort(c.value);
        EXPECT_EQ(hp.host, c.host) << c.value;
        EXPECT_EQ(hp.port, c.port) << c.value;
    }
}

// Over a weak link of 4 KB a second, each kind has time for the most it downloads: a history page
// of 60 days, a blog page around the update notice, the program itself.
TEST(TransferLimits, EachKindHasTimeForWhatItDownloadsOverASlowLink) {
    using K = TransferKind;
    const std::pair<K, uint64_t> cases[] = {
        {K::kQuote, 1024},           {K::kChart, 24 << 10},       {K::kHistory, 96 << 10},
        {K::kUpdatePage, 128 << 10}, {K::kUpgradeImage, 1 << 20}, {K::kUpgradeSignature, 64}};
    for (const auto& [kind, bytes] : cases) {
        EXPECT_GE(LimitsFor(kind).total_ms, bytes * 1000 / 4096) << static_cast<int>(kind);
        EXPECT_GE(LimitsFor(kind).max_bytes, bytes) << static_cast<int>(kind);
    }
    EXPECT_LT(std::chrono::milliseconds(LimitsFor(K::kQuote).total_ms), kGiveUpAfter);
}

}  // namespace
}  // namespace tickra
