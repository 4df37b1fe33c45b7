#include "ticker/ticker_chart.h"

#include <cmath>

namespace tickra {

TickerMetrics ScaleTickerMetrics(int dpi) {
    auto scale = [dpi](int pixels) { return (pixels * dpi + 48) / 96; };
    const TickerMetrics base;
    return {scale(base.font_height),
            scale(base.text_indent),
            scale(base.arrow_column),
            scale(base.letter_column),
            {scale(base.chart.right), scale(base.chart.point_spacing)}};
}

int FirstChartIndex(int text_width, const ChartMetrics& metrics) {
    // Integer division truncates toward zero, as the chart's layout rule needs.
    return 52 - (metrics.right - text_width) / metrics.point_spacing;
}

std::vector<ChartSegment> ComputeChartSegments(const std::array<float, StockEntry::kHistorySize>& v,
                                               float reference, int text_width, int window_height,
                                               const ChartMetrics& metrics) {
    constexpr int kLast = StockEntry::kLatest;
    std::vector<ChartSegment> segments;
    int first = FirstChartIndex(text_width, metrics);
    if (first > kLast - 1) {
        return segments;
    }
    if (first < 0) {
        first = 0;  // a short text: the history has no slots before 0
    }
    // Rows are whole pixels: a value that is no number has none, and converting it would be
    // undefined. Such a value ends the chart as a missing sample does.
    if (!std::isfinite(reference) || !std::isfinite(v[kLast])) {
        return segments;
    }
    const int h = window_height - 1;
    // Slots are counted in int, as the layout arithmetic is; here they index.
    const auto slot = [](int i) { return static_cast<size_t>(i); };

    float max = v[kLast];
    float min = v[kLast];
    int oldest = kLast;  // the oldest sample drawn
    for (int i = kLast; i >= first; --i) {
        const float price = v[slot(i)];
        if (price == -1.0f || !std::isfinite(price)) {
            break;
        }
        oldest = i;
        if (price > max) {
            max = price;
        } else if (price < min) {
            min = price;
        }
    }
    const float range = max - min;
    if (!std::isfinite(range)) {
        return segments;  // two prices too far apart for a float's span
    }

    // Row of a price: the highest on row 0, the lowest on row h; a flat history sits mid-height.
    auto row = [&](float price) -> int {
        if (range == 0.0f) {
            return h / 2;
        }
        const float share = (price - min) / range;
        return static_cast<int>(static_cast<float>(h) - static_cast<float>(h) * share);
    };
    int r;
    if (reference > max) {
        r = -1;
    } else if (reference < min) {
        r = h + 1;
    } else if (range == 0.0f) {
        r = h / 2;
    } else {
        r = h - static_cast<int>(((reference - min) / range) * static_cast<float>(h));
    }

    std::array<int, StockEntry::kHistorySize> x{}, y{};
    for (int i = kLast; i >= first; --i) {
        x[slot(i)] = metrics.right - metrics.point_spacing * (kLast - i);
        y[slot(i)] = i < oldest || v[slot(i)] < min ? -1 : row(v[slot(i)]);
    }
    for (int i = first; i < kLast; ++i) {
        const int a = y[slot(i)], b = y[slot(i + 1)];
        const int xa = x[slot(i)], xb = x[slot(i + 1)];
        if (a < 0) {
            continue;
        }
        if (a < r) {
            if (b > r) {  // falls through the reference
                segments.push_back({xa, a, xa + 1, r, true});
                segments.push_back({xa + 1, r, xb, b, false});
            } else {
                segments.push_back({xa, a, xb, b, true});
            }
        } else if (a == r) {
            if (b <= r) {
                segments.push_back({xa, a, xb, b, true});
            }
        } else if (b < r) {  // rises through the reference
            segments.push_back({xa, a, xa + 1, r, false});
            segments.push_back({xa + 1, r, xb, b, true});
        } else if (b > r) {
            segments.push_back({xa, a, xb, b, false});
        }
    }
    return segments;
}

}  // namespace tickra
