#include "edit/watch_list_editor.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "base/mbcs.h"
#include "base/text_util.h"
#include "watch/money.h"
#include "watch/watch_list_loader.h"

namespace tickra {

namespace {
using Names = std::vector<std::string>;
}  // namespace

EditFields ClearedFields() {
    return {"", "0", "0", "0", "", "", ""};
}

bool Storable(std::string_view text, bool section_name) {
    for (size_t i = 0, width = 0; i < text.size(); i += width) {
        width = CharWidth(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (width == 1 &&
            (c < 0x20 || c == 0x7F || (section_name && (c == '[' || c == ']' || c == '=')))) {
            return false;
        }
    }
    return true;
}

WatchListEditor::ApplyResult WatchListEditor::Apply(EditFields& fields, int selected) {
    if (fields.code.empty()) {
        return ApplyResult::kCodeMissing;
    }
    if (!Storable(fields.code, true) || !Storable(fields.break_below, false) ||
        !Storable(fields.cross_above, false) || !Storable(fields.balance, false) ||
        !Storable(fields.alias, false)) {
        return ApplyResult::kNotStorable;  // nothing is changed: the fields stay for correcting
    }
    if (!fields.cost.empty() && !ParseCost(fields.cost)) {
        return ApplyResult::kCostInvalid;
    }
    if (!fields.shares.empty() && !ParseShares(fields.shares)) {
        return ApplyResult::kSharesInvalid;
    }
    const std::string code = UpperCaseMbcs(fields.code);
    auto price = [](const std::string& text) { return text.empty() ? std::string("0") : text; };
    const std::string break_below = price(fields.break_below),
                      cross_above = price(fields.cross_above), balance = price(fields.balance);

    // While a row is edited the list is locked, so the selection is the row Modify loaded.
    const bool change = editing_ && Valid(selected);
    if (!change && code.size() > kMaxCodeBytes) {
        return ApplyResult::kCodeTooLong;  // the next start could not load it
    }
    // code.ini has one section per code, whatever the case of its letters (the profile
    // functions ignore it): a second row of the same code would share it, and deleting either
    // would lose both after a restart.
    if (!change &&
        std::any_of(model_.rows().begin(), model_.rows().end(),
                    [&](const WatchRow& row) { return UpperCaseMbcs(row.code) == code; })) {
        return ApplyResult::kDuplicate;
    }
    const std::string& date = model_.pending_data_date;
    // A change writes only the keys the user changed: another running copy may have changed the
    // others since this one read them. A key the file no longer holds is written all the same, so
    // that a section deleted meanwhile comes back whole.
    const WatchRow* before = change ? &model_.row(static_cast<size_t>(selected)) : nullptr;
    const std::string& section = before != nullptr ? before->code : code;
    const Names held = change ? file_.KeyNames(section) : Names();
    auto write = [&](const char* key, const std::string& value, const std::string& was) {
        return (value == was && std::find(held.begin(), held.end(), key) != held.end()) ||
               file_.WriteString(section, key, value.c_str());
    };
    // The holding and the alias are kept only while set: an emptied one loses its key.
    auto write_optional = [&](const char* key, const std::string& value, const std::string& was) {
        return value.empty() ? was.empty() || file_.WriteString(section, key, nullptr)
                             : write(key, value, was);
    };
    // A new section: the four price keys, then those of the holding and the alias that are set.
    const auto new_keys = [&] {
        ProfileFile::Keys keys = {
            {"under", break_below}, {"over", cross_above}, {"sale", balance}, {"cdt", date}};
        for (const auto& [key, value] : {std::pair{"cost", &fields.cost},
                                         {"shares", &fields.shares},
                                         {"alias", &fields.alias}}) {
            if (!value->empty()) {
                keys.emplace_back(key, *value);
            }
        }
        return keys;
    };
    // The file first: the list shows only what it holds. A change keeps the row's date unless a
    // computed price brought another.
    const bool saved =
        change ? write("under", break_below, before->break_below) &&
                     write("over", cross_above, before->cross_above) &&
                     write("sale", balance, before->balance) &&
                     write("cdt", date.empty() ? before->data_date : date, before->data_date) &&
                     write_optional("cost", fields.cost, before->cost) &&
                     write_optional("shares", fields.shares, before->shares) &&
                     write_optional("alias", fields.alias, before->alias)
               : file_.WriteNewSection(section, new_keys());
    if (!saved) {
        return ApplyResult::kNotSaved;
    }
    WatchRow& row = change ? model_.row(static_cast<size_t>(selected))
                           : model_.Append(WatchRow(code, "", "", "", ""));
    row.break_below = break_below;
    row.cross_above = cross_above;
    row.balance = balance;
    row.cost = fields.cost;
    row.shares = fields.shares;
    row.alias = fields.alias;
    if (!date.empty()) {
        row.data_date = date;
    }

    model_.pending_data_date.clear();
    fields = ClearedFields();
    editing_ = false;
    return change ? ApplyResult::kChanged : ApplyResult::kAdded;
}

bool WatchListEditor::Modify(int selected, EditFields& fields) {
    if (!Valid(selected)) {
        return false;
    }
    const WatchRow& row = model_.row(static_cast<size_t>(selected));
    fields = {row.code, row.break_below, row.cross_above, row.balance,
              row.cost, row.shares,      row.alias};
    model_.pending_data_date = row.data_date;
    editing_ = true;
    return true;
}

void WatchListEditor::Cancel(EditFields& fields) {
    model_.pending_data_date.clear();
    fields = ClearedFields();
    editing_ = false;
}

WatchListEditor::DeleteResult WatchListEditor::Delete(int selected) {
    if (!Valid(selected)) {
        return DeleteResult::kNoSelection;
    }
    // A file edited by hand may hold the code twice, and one write removes one section: the
    // next start would bring the row back with the other one's values.
    const std::string& code = model_.row(static_cast<size_t>(selected)).code;
    const std::string folded = UpperCaseMbcs(code);
    const Names names = file_.SectionNames();
    const auto sections = std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return name.size() == folded.size() && UpperCaseMbcs(name) == folded;
    });
    for (std::ptrdiff_t i = 0; i < std::max<std::ptrdiff_t>(sections, 1); ++i) {
        if (!file_.WriteString(code, nullptr, nullptr)) {
            return DeleteResult::kNotSaved;
        }
    }
    model_.RemoveRow(static_cast<size_t>(selected));
    return DeleteResult::kDeleted;
}

bool WatchListEditor::MoveUp(int selected) {
    if (model_.size() < 2 || selected <= 0 || !Valid(selected)) {
        return false;
    }
    return model_.Swap(static_cast<size_t>(selected), static_cast<size_t>(selected - 1));
}

bool WatchListEditor::MoveDown(int selected) {
    if (model_.size() < 2 || !Valid(selected) ||
        static_cast<size_t>(selected) == model_.size() - 1) {
        return false;
    }
    return model_.Swap(static_cast<size_t>(selected), static_cast<size_t>(selected) + 1);
}

WatchListEditor::StoreResult WatchListEditor::StoreBalance(const BalanceItem& item, float price,
                                                           const std::string& data_date,
                                                           size_t& row) {
    const std::optional<size_t> index = model_.Find(item.entry);
    WatchRow* stored = index ? &model_.row(*index) : nullptr;
    if (price == -1.0f || stored == nullptr || stored->code != item.code ||
        stored->balance != item.balance) {
        return StoreResult::kSkipped;
    }
    const std::string balance = Format("%.2f", price);
    if (!file_.WriteString(stored->code, "sale", balance.c_str()) ||
        !file_.WriteString(stored->code, "cdt", data_date.c_str())) {
        return StoreResult::kNotSaved;
    }
    stored->balance = balance;
    stored->data_date = data_date;
    // The pending date is left alone: it belongs to the price in the edit fields (a row being
    // edited, or a "计算" result), which Apply stores later.
    row = *index;
    return StoreResult::kStored;
}

}  // namespace tickra
