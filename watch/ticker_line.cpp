#include "watch/ticker_line.h"

#include "base/mbcs.h"
#include "base/text_util.h"
#include "watch/quote.h"

namespace tickra {

std::string ShownName(std::string_view alias, std::string_view feed_name) {
    return alias.empty() ? std::string(feed_name) : ShownField(alias, kMaxNameBytes);
}

std::string GoodQuoteLine(std::string_view name, std::string_view last_text,
                          std::string_view previous_close_text, float percent, Tone tone,
                          const std::optional<Position>& position, const LineStyle& style) {
    const char* mark = !style.mono ? "" : tone == Tone::kUp ? "▲" : tone == Tone::kDown ? "▼" : "";
    std::string text = std::string(name) + " " + std::string(last_text) + " " + mark +
                       Format("%.2f%%", static_cast<double>(percent));
    const std::optional<int64_t> last = PriceInMills(last_text);
    const std::optional<int64_t> close = PriceInMills(previous_close_text);
    if (style.show_pnl && position && last && close) {
        text += " " + (style.hide_amounts ? std::string(kHiddenAmount)
                                          : YuanText(ValueOf(*position, *last, *close).day));
    }
    return std::string(CutAtCharBoundary(text, TickerState::kMaxTextBytes));
}

std::string GoodLineOf(const WatchRow& row, const LineStyle& style) {
    const QuoteFacts& facts = row.entry->facts;
    if (facts.time.empty()) {
        return {};
    }
    return GoodQuoteLine(ShownName(row.alias, facts.name), facts.last_text,
                         facts.previous_close_text, facts.percent, facts.tone,
                         PositionOf(row.cost, row.shares), style);
}

}  // namespace tickra
