// Feed responses of any shape: the quote parser must never read outside the text or crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "watch/quote.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    const tickra::Quote quote = tickra::ParseQuote(response, "0600000");
    if (quote.kind == tickra::Quote::Kind::kGood && quote.name.size() > size) {
        __builtin_trap();
    }
    return 0;
}
