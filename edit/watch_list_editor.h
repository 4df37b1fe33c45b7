// The watch-list editing commands: what each does to the rows and to code.ini. The dialog reads
// its edit fields, calls these, and shows the result.
#pragma once

#include <string>
#include <string_view>

#include "history/balance_price.h"
#include "watch/profile_file.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"
#include "watch/watch_model.h"

namespace tickra {

// The edit fields above the watch list.
struct EditFields {
    std::string code, break_below, cross_above, balance;
    std::string cost, shares, alias;  // empty: not set
    bool operator==(const EditFields&) const = default;
};

// The fields after a command has cleared them.
EditFields ClearedFields();

// Text that can go into code.ini as it is: no line break or other control character, and, in a
// section name, no "[", "]" or "=", which would change the file's structure.
bool Storable(std::string_view text, bool section_name);

class WatchListEditor {
public:
    // The model's pending data date is the one of the balance price in the fields.
    WatchListEditor(WatchModel& model, ProfileFile& file) : model_(model), file_(file) {}

    bool editing() const { return editing_; }

    enum class ApplyResult {
        kCodeMissing,
        kNotStorable,
        kCodeTooLong,
        kDuplicate,
        kCostInvalid,    // not a cost of 0 to 100000 with at most three places
        kSharesInvalid,  // not a whole number of 0 to 10^9
        kNotSaved,
        kAdded,
        kChanged
    };
    // Adds a stock with its four keys and those of its holding and alias that are set, or stores
    // the change of the row being edited (the selected one) with the keys that changed, and leaves
    // edit mode. The fields are cleared when it succeeds.
    ApplyResult Apply(EditFields& fields, int selected);
    // Loads a row into the fields and enters edit mode; false when no row is selected.
    bool Modify(int selected, EditFields& fields);
    void Cancel(EditFields& fields);
    // Removes the row and its section of code.ini. A file that cannot be written keeps the row,
    // so the list never shows what the file does not hold.
    enum class DeleteResult { kNoSelection, kDeleted, kNotSaved };
    DeleteResult Delete(int selected);
    // Move a row with its entry; false when it cannot move. code.ini keeps its order.
    bool MoveUp(int selected);
    bool MoveDown(int selected);
    // Stores a balance price computed for a row as its balance price and data date. A failed
    // computation
    // (-1), and a row deleted or edited meanwhile, are skipped. row: the index of the row stored.
    enum class StoreResult { kSkipped, kStored, kNotSaved };
    StoreResult StoreBalance(const BalanceItem& item, float price, const std::string& data_date,
                             size_t& row);

private:
    bool Valid(int row) const { return row >= 0 && static_cast<size_t>(row) < model_.size(); }

    WatchModel& model_;
    ProfileFile& file_;
    bool editing_ = false;
};

}  // namespace tickra
