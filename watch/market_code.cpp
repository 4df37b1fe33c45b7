#include <algorithm>

#include "watch/quote_feed.h"

namespace tickra {

std::string MarketCode(std::string_view code) {
    if (code == "1A0001") {
        return "sh000001";
    }
    // Only six ASCII digits go on: the code ends up in a request's address, where an odd byte, a
    // "&" or a blank would change what is asked.
    if (code.size() != 6 ||
        !std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    const char first = code[0];
    const bool beijing = first == '4' || first == '8' || code.starts_with("92");
    const bool shanghai = first == '5' || first == '6' || code.starts_with("90");
    return (beijing ? "bj" : shanghai ? "sh" : "sz") + std::string(code);
}

}  // namespace tickra
