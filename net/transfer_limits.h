// The bounds of every kind of transfer, in one place, each fitted to what that kind downloads: a
// quote is asked every 2 seconds and is a few hundred bytes, a history page or the update page
// may take half a minute over a slow link, and the upgrade image is megabytes.
#pragma once

#include <chrono>
#include <cstdint>

namespace tickra {

struct TransferLimits {
    unsigned long idle_timeout_ms = 5000;  // connect, send, and each receive
    unsigned long total_ms = 8000;         // the whole answer
    uint64_t max_bytes = 4u << 20;
};

enum class TransferKind { kQuote, kChart, kHistory, kUpdatePage, kUpgradeImage, kUpgradeSignature };

TransferLimits LimitsFor(TransferKind kind);

// A quote or chart transfer under way this long is given up with its thread: longer than their
// own bounds allow, for WinInet can be stuck where no bound of its own reaches.
inline constexpr std::chrono::seconds kGiveUpAfter{15};

}  // namespace tickra
