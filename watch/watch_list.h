// The watch list: one row per stock, in rotation order, with the user's texts and its entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "watch/stock_entry.h"
#include "watch/ticker_state.h"

namespace tickra {

// Columns of the watch list view, in display order.
enum WatchColumn {
    kColCode,
    kColBreakBelow,
    kColCrossAbove,
    kColBalance,
    kColDataDate,
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
    std::unique_ptr<StockEntry> entry;  // never null
};

using WatchList = std::vector<WatchRow>;

// Removes a row and frees its stock entry. A ticker still pointing at that entry's history is
// left with no chart rather than a pointer to freed memory.
void RemoveRow(WatchList& rows, size_t index, TickerState& ticker);

// The row whose stock entry has the serial, or nothing when it has gone: work that began with a
// row finds it again this way after rows were added, moved or deleted.
WatchRow* FindRow(WatchList& rows, uint64_t entry_serial);

}  // namespace tickra
