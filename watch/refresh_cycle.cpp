#include "watch/refresh_cycle.h"

#include <algorithm>

#include "watch/text_util.h"

namespace tickra {

bool InTradingWindow(int minute) {
    return (minute >= 540 && minute <= 690) || (minute >= 780 && minute <= 900);
}

void SetEmptyListState(TickerState& ticker) {
    ticker.flags = {};
    ticker.colour = kWhite;
    ticker.text = "请加入股票.";
}

int RefreshCycle::ChooseRow(int row_count, std::string_view rotation_text) {
    ++tick_counter_;
    const int ticks_per_stock = rotation_text.empty() ? 5 : ParseInt(rotation_text);
    if (tick_counter_ >= ticks_per_stock) {
        ++current_index_;
        tick_counter_ = 0;
    }
    // Rows may have been deleted since the last tick: never show one that does not exist.
    if (current_index_ >= row_count || current_index_ < 0) {
        current_index_ = 0;
    }
    return current_index_;
}

QuoteCheckRequest RequestForRow(const WatchRow& row) {
    QuoteCheckRequest request;
    request.code = row.code;
    request.previous_price = row.entry->previous_price;
    request.break_below = ParseFloat(row.under);
    request.cross_above = ParseFloat(row.over);
    request.balance = ParseFloat(row.sale);
    return request;
}

void RefreshRow(WatchRow& row, const LocalTime& now, QuoteChecker& checker, TickerState& ticker,
                float& reference_price, AlertSink& alerts) {
    const int minute = MinuteOfDay(now);
    StockEntry& entry = *row.entry;
    const float price = checker.Check(RequestForRow(row), ticker, reference_price, alerts);
    entry.previous_price = price;
    if (InTradingWindow(minute) && entry.minute_stamp != minute) {
        std::copy(entry.history.begin() + 1, entry.history.end(), entry.history.begin());
        entry.minute_stamp = minute;
    }
    entry.history[StockEntry::kLatest] = price;
    ticker.reference_price = reference_price;
    ticker.history = &entry.history;
}

}  // namespace tickra
