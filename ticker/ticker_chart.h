// The ticker's small per-minute chart, as coloured line segments in window pixels.
#pragma once

#include <array>
#include <vector>

#include "watch/stock_entry.h"

namespace tickra {

struct ChartSegment {
    int x0, y0, x1, y1;
    bool red;  // above the reference price; green below
    bool operator==(const ChartSegment&) const = default;
};

// Where the chart goes: it ends at the arrow column, one sample every point_spacing pixels.
struct ChartMetrics {
    int right = 198;
    int point_spacing = 2;
    bool operator==(const ChartMetrics&) const = default;
};

// Everything the ticker draws at a fixed size at 96 dpi.
struct TickerMetrics {
    int font_height = 12;
    int text_indent = 2;
    int arrow_column = 198;
    int letter_column = 208;
    ChartMetrics chart;
    bool operator==(const TickerMetrics&) const = default;
};

TickerMetrics ScaleTickerMetrics(int dpi);

// The segments for the history v (index 50 the latest price, -1 = no sample), the reference
// price (yesterday's close), the width of the ticker text in pixels and the window height. The
// chart starts just after the text; a text too wide for it leaves no chart. A flat history is
// drawn as a level line through the middle of the window.
std::vector<ChartSegment> ComputeChartSegments(const std::array<float, StockEntry::kHistorySize>& v,
                                               float reference, int text_width, int window_height,
                                               const ChartMetrics& metrics = {});

// First history index the chart draws for a text width; may be below 0 or above 50.
int FirstChartIndex(int text_width, const ChartMetrics& metrics = {});

}  // namespace tickra
