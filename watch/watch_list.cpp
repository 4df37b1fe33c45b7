#include "watch/watch_list.h"

#include <utility>

namespace tickra {

WatchRow::WatchRow() : entry(std::make_unique<StockEntry>()) {}

WatchRow::WatchRow(std::string code_, std::string break_below_, std::string cross_above_,
                   std::string balance_, std::string data_date_)
    : code(std::move(code_)),
      break_below(std::move(break_below_)),
      cross_above(std::move(cross_above_)),
      balance(std::move(balance_)),
      data_date(std::move(data_date_)),
      entry(std::make_unique<StockEntry>()) {}

std::string& WatchRow::Cell(int column) {
    switch (column) {
        case kColCode:
            return code;
        case kColBreakBelow:
            return break_below;
        case kColCrossAbove:
            return cross_above;
        case kColBalance:
            return balance;
        case kColCost:
            return cost;
        case kColShares:
            return shares;
        default:
            return data_date;
    }
}

const std::string& WatchRow::Cell(int column) const {
    return const_cast<WatchRow*>(this)->Cell(column);
}

}  // namespace tickra
