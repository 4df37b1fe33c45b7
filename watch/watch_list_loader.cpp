#include "watch/watch_list_loader.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/mbcs.h"
#include "watch/name_list.h"

namespace tickra {

namespace {

// Where a key's value goes: key names are matched exactly, case and all.
std::string* FieldOf(WatchRow& row, std::string_view key) {
    return key == "under"    ? &row.break_below
           : key == "over"   ? &row.cross_above
           : key == "sale"   ? &row.balance
           : key == "cdt"    ? &row.data_date
           : key == "cost"   ? &row.cost
           : key == "shares" ? &row.shares
           : key == "alias"  ? &row.alias
                             : nullptr;
}

}  // namespace

WatchList LoadWatchList(const ProfileText& text) {
    const std::vector<ProfileText::Section>& sections = text.sections();
    std::vector<std::string_view> names;
    names.reserve(sections.size());
    for (const ProfileText::Section& section : sections) {
        names.emplace_back(section.name);
    }
    WatchList rows;
    std::unordered_set<std::string> codes;  // upper-cased, as the profile functions compare them
    for (size_t i = 0, listed = NamesReadOf(names); i < listed; ++i) {
        const std::string& code = sections[i].name;
        // A name longer than any stock code is no row: the ticker could not ask the feed for it,
        // and a name the profile functions cut would be written as a section of another name.
        // A code's second section is no row either: the functions read and write only its first.
        if (code.empty() || code.size() > kMaxCodeBytes ||
            !codes.insert(UpperCaseMbcs(code)).second) {
            continue;
        }
        WatchRow row;
        row.code = code;
        const std::vector<std::string_view> keys = ProfileText::KeyNames(sections[i]);
        for (size_t k = 0, held = NamesReadOf(keys); k < held; ++k) {
            if (std::string* field = FieldOf(row, keys[k])) {
                // Looked up as the functions look a key up: a key listed twice in other letters'
                // case gives the first one's value.
                *field = CutAtCharBoundary(text.Value(code, keys[k]), kValueBufferSize - 1);
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tickra
