// Feed responses of any shape: the quote parser must never read outside the text or crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "watch/quote.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    const tickra::Quote quote = tickra::ParseQuote(response, "0600000");
    // A good quote carries numbers only: the alerts print them and the ticker's chart draws them.
    if (quote.kind == tickra::Quote::Kind::kGood &&
        (quote.name.size() > size || !std::isfinite(quote.previous_close) ||
         !std::isfinite(quote.price) || !std::isfinite(quote.change))) {
        __builtin_trap();
    }
    return 0;
}
