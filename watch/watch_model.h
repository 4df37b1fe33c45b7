// What the main dialog's parts share: the rows, what the ticker shows, and the data date of the
// balance price waiting in the edit fields. The dialog owns it; each part holds the whole model,
// never a piece of another part.
#pragma once

#include <cstddef>
#include <string>

#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

struct WatchModel {
    WatchList rows;
    TickerState ticker;
    // The previous close of the last good quote, for the ticker's chart.
    float reference_price = -1.0f;
    std::string pending_data_date;

    // Removes a row and its entry. The ticker state points into an entry's history, so a state
    // that shows this row's history is left without a chart rather than with a dangling pointer.
    void RemoveRow(size_t index) { tickra::RemoveRow(rows, index, ticker); }
};

}  // namespace tickra
