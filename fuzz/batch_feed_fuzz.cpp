// Answers of any shape to the batch feeds: no parse may read outside the body or crash, and what
// it calls good must carry finite numbers. The first byte picks the feed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "watch/eastmoney_feed.h"
#include "watch/sina_feed.h"
#include "watch/tencent_feed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const tickra::SinaFeed sina;
    static const tickra::TencentFeed tencent;
    static const tickra::EastmoneyFeed eastmoney(
        [](std::string_view utf8) { return std::string(utf8); });
    static const tickra::QuoteFeed* const feeds[] = {&sina, &tencent, &eastmoney};
    static const std::vector<std::string> codes{"600000", "1A0001", "000002", "830799"};

    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const tickra::FeedQuotes got = feeds[data[0] % 3]->Parse(body, codes);
    for (const auto& [code, quote] : got.quotes) {
        if (!got.in_format || quote.name.size() > tickra::kMaxNameBytes ||
            quote.last_text.size() > tickra::kMaxNumberBytes ||
            (quote.kind == tickra::Quote::Kind::kGood &&
             (!std::isfinite(quote.previous_close) || !std::isfinite(quote.price) ||
              !std::isfinite(quote.change)))) {
            __builtin_trap();
        }
    }
    return 0;
}
