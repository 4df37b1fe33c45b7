#include "chart/chart_url.h"

#include <algorithm>
#include <cstdint>

namespace tickra {

std::string ChartUrl(std::string_view host, std::string_view code, const LocalTime& now) {
    const bool zero = code == "1A0001" || code == "1a0001" ||
                      (!code.empty() && (code[0] == '6' || code[0] == '5'));
    return "http://" + std::string(host) + "/chart/bf/" + (zero ? "0" : "1") + "/" +
           std::string(code) + ".png?" + FormatTime(now, "%Y%m%d%H%M%S");
}

Size ChartDrawSize(Size client, Size image) {
    float scale = 1.0f;
    if (image.width > client.width || image.height > client.height) {
        scale = client.width < client.height
                    ? static_cast<float>(client.width) / static_cast<float>(image.width)
                    : static_cast<float>(client.height) / static_cast<float>(image.height);
    }
    return {static_cast<int>(static_cast<float>(image.width) * scale),
            static_cast<int>(static_cast<float>(image.height) * scale)};
}

Point ChartWindowPosition(int ticker_left, int ticker_top, int ticker_right, Size window) {
    const int ticker_width = ticker_right - ticker_left;
    return {ticker_right - window.width - (ticker_width - window.width) / 2,
            ticker_top - window.height - 10};
}

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
