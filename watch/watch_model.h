// What the main dialog's parts share: the rows, what the ticker shows, and the data date of the
// balance price waiting in the edit fields. The dialog owns it; each part holds the whole model,
// never a piece of another part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

class WatchModel {
public:
    const WatchList& rows() const { return rows_; }
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // A row's texts and entry may change; rows come and go only through the calls below.
    WatchRow& row(size_t index) { return rows_[index]; }
    const WatchRow& row(size_t index) const { return rows_[index]; }

    // The list as code.ini holds it, at start.
    void Replace(WatchList rows) { rows_ = std::move(rows); }
    WatchRow& Append(WatchRow row) { return rows_.emplace_back(std::move(row)); }
    // Swaps two rows; false when either is not there.
    bool Swap(size_t a, size_t b);
    // Removes a row and its entry; nothing when it is not there.
    void RemoveRow(size_t index);
    void Clear() { rows_.clear(); }

    // Where the row whose stock entry has the serial is now, or nothing when it has gone: work
    // that began with a row finds it again this way after rows were added, moved or deleted.
    std::optional<size_t> Find(uint64_t entry_serial) const;
    // The per-minute history the ticker draws for its stock; null when the stock has gone.
    const MinuteHistory* HistoryOf(uint64_t entry_serial) const;

    TickerState ticker;
    // The previous close of the last good quote, for the ticker's chart.
    float reference_price = -1.0f;
    std::string pending_data_date;

private:
    WatchList rows_;
};

}  // namespace tickra
