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

// A weak mobile link gives 4 KB a second: each kind has time for the most it may download then.
TEST(TransferLimits, EachKindHasTimeForWhatItDownloadsOverASlowLink) {
    constexpr uint64_t kBytesPerSecond = 4 * 1024;
    const std::pair<TransferKind, uint64_t> cases[] = {
        {TransferKind::kQuote, 1024},
        {TransferKind::kChart, 24 * 1024},
        {TransferKind::kHistory, 96 * 1024},      // a page of 60 days
        {TransferKind::kUpdatePage, 128 * 1024},  // a blog page around its notice
        {TransferKind::kUpgradeImage, 1024 * 1024},
        {TransferKind::kUpgradeSignature, 64},
    };
    for (const auto& [kind, bytes] : cases) {
        const TransferLimits limits = LimitsFor(kind);
        EXPECT_GE(limits.total_ms, bytes * 1000 / kBytesPerSecond) << static_cast<int>(kind);
        EXPECT_GE(limits.max_bytes, bytes) << static_cast<int>(kind);
    }
    // The kinds that are given up have had their own bounds first.
    for (TransferKind kind : {TransferKind::kQuote, TransferKind::kChart}) {
        EXPECT_LT(std::chrono::milliseconds(LimitsFor(kind).total_ms), kGiveUpAfter);
    }
}

}  // namespace
}  // namespace tickra
