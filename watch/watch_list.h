// The watch list: one row per stock, in rotation order, with the user's texts and its entry.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "watch/stock_entry.h"

namespace tickra {

// Columns of the watch list view, in display order.
enum WatchColumn {
    kColCode,
    kColBreakBelow,
    kColCrossAbove,
    kColBalance,
    kColDataDate,
    kColCost,
    kColShares,
    kWatchColumnCount
};

struct WatchRow {
    WatchRow();
    WatchRow(std::string code, std::string break_below, std::string cross_above,
             std::string balance, std::string data_date);

    const std::string& Cell(int column) const;
    std::string& Cell(int column);

    // The prices stay text; they are converted afresh whenever a rule uses them.
    // The three prices are kept under "under", "over" and "sale" in code.ini.
    std::string code, break_below, cross_above, balance, data_date;
    // The holding, under "cost" and "shares", and the user's own name for the stock, under
    // "alias"; empty when not set.
    std::string cost, shares, alias;
    std::unique_ptr<StockEntry> entry;  // never null
};

using WatchList = std::vector<WatchRow>;

}  // namespace tickra
