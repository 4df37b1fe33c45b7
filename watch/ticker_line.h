// The ticker's line of a good quote, dressed as the user asks: the user's own name for the stock,
// today's P&L of a holding at its end, marks instead of colours, amounts hidden.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "watch/money.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

struct LineStyle {
    bool show_pnl = false;  // today's P&L of a holding, in whole yuan, at the line's end
    bool mono = false;      // no colours: "▲" or "▼" before the percentage says the direction
    bool hide_amounts = false;  // every amount of money is "***"
    bool operator==(const LineStyle&) const = default;
};

// What stands for an amount of money while amounts are hidden.
inline constexpr std::string_view kHiddenAmount = "***";

// The name the user reads: the alias when one is set, else the feed's name.
std::string ShownName(std::string_view alias, std::string_view feed_name);

// "浦发银行 10.80 2.86%", with "▲"/"▼" before the percentage in mono, and " +300" (or " ***")
// after it for a holding when show_pnl is on; cut to the ticker's bytes.
std::string GoodQuoteLine(std::string_view name, std::string_view last_text,
                          std::string_view previous_close_text, float percent, Tone tone,
                          const std::optional<Position>& position, const LineStyle& style);

// The line of the row's last good quote, as the style dresses it now; empty before its first.
std::string GoodLineOf(const WatchRow& row, const LineStyle& style);

}  // namespace tickra
