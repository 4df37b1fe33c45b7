#include "chart/png_header.h"

#include <algorithm>
#include <cstdint>

namespace tickra {

std::optional<Size> PngSize(std::string_view bytes) {
    constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    // The signature, then the IHDR chunk: its length, its type, the width and the height.
    if (bytes.size() < 24 || bytes.substr(0, 8) != kSignature || bytes.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    auto number = [bytes](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    // PNG sizes are below 2^31; anything larger counts as the largest.
    auto side = [](uint32_t value) {
        return static_cast<int>(std::min<uint32_t>(value, INT32_MAX));
    };
    return Size{side(number(16)), side(number(20))};
}

}  // namespace tickra
