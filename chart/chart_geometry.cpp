#include "chart/chart_geometry.h"

namespace tickra {

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

Point ChartWindowPosition(int ticker_left, int ticker_top, int ticker_right, int ticker_bottom,
                          Size window, int monitor_top) {
    const int ticker_width = ticker_right - ticker_left;
    const int above = ticker_top - window.height - 10;
    return {ticker_right - window.width - (ticker_width - window.width) / 2,
            above >= monitor_top ? above : ticker_bottom + 10};
}

}  // namespace tickra
