#include "watch/watch_list_loader.h"

#include <array>
#include <unordered_set>

#include "base/mbcs.h"

namespace tickra {

std::vector<std::string> ParseNameList(const char* buffer, size_t size) {
    size_t end = size;  // position of the first NUL of the final double NUL
    for (size_t i = 0; i + 1 < size; ++i) {
        if (buffer[i] == '\0' && buffer[i + 1] == '\0') {
            end = i;
            break;
        }
    }
    std::vector<std::string> names;
    std::string name;
    const size_t last = end < size ? end : size - 1;
    for (size_t i = 0; size > 0 && i <= last; ++i) {
        if (buffer[i] == '\0') {
            names.push_back(std::move(name));
            name.clear();
        } else {
            name += buffer[i];
        }
    }
    // Without the final double NUL the list was cut: a name still being collected is partial.
    return names;
}

namespace {

// fill(buffer, size) is one of the profile functions that deliver a name list.
template <typename Fill>
std::vector<std::string> ReadNameList(Fill fill, size_t first_size = kNameListFirstSize) {
    std::vector<char> buffer;
    for (size_t size = first_size;; size *= 2) {
        buffer.assign(size, '\0');
        // size - 2 or more says the list was cut (Wine says so too when the names fit as wide
        // characters but not as GB2312 bytes). A whole list that happens to say so is asked again.
        if (fill(buffer.data(), size) < size - 2) {
            return ParseNameList(buffer.data(), size);
        }
        if (size >= kNameListMaxSize) {
            break;
        }
    }
    std::vector<std::string> names = ParseNameList(buffer.data(), buffer.size());
    if (!names.empty()) {
        names.pop_back();  // Windows ends a cut list with its last name cut short
    }
    return names;
}

}  // namespace

std::vector<std::string> ReadSectionNames(ProfileFile& file, size_t first_size) {
    return ReadNameList(
        [&](char* buffer, size_t size) { return file.GetSectionNames(buffer, size); }, first_size);
}

std::vector<std::string> ReadKeyNames(ProfileFile& file, const std::string& section) {
    return ReadNameList(
        [&](char* buffer, size_t size) { return file.GetKeyNames(section, buffer, size); });
}

WatchList LoadWatchList(ProfileFile& file) {
    WatchList rows;
    std::unordered_set<std::string> codes;  // upper-cased, as the profile functions compare them
    for (const std::string& section : ReadSectionNames(file)) {
        // A name longer than any stock code is no row: the ticker could not ask the feed for it,
        // and a name the profile functions cut would be written as a section of another name.
        // A code's second section is no row either: the functions read and write only its first.
        if (section.empty() || section.size() > kMaxCodeBytes ||
            !codes.insert(UpperCaseMbcs(section)).second) {
            continue;
        }
        WatchRow row;
        row.code = section;
        for (const std::string& key : ReadKeyNames(file, section)) {
            std::string* target = key == "under"    ? &row.break_below
                                  : key == "over"   ? &row.cross_above
                                  : key == "sale"   ? &row.balance
                                  : key == "cdt"    ? &row.data_date
                                  : key == "cost"   ? &row.cost
                                  : key == "shares" ? &row.shares
                                  : key == "alias"  ? &row.alias
                                                    : nullptr;
            if (target == nullptr) {
                continue;
            }
            std::array<char, kValueBufferSize> value{};
            file.GetString(section, key, value.data(), value.size());
            value.back() = '\0';
            *target = value.data();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tickra
