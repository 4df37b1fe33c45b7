#include "watch/watch_list_loader.h"

#include <array>

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

std::vector<std::string> ReadSectionNames(ProfileFile& file) {
    std::array<char, kNameListBufferSize> buffer{};
    file.GetSectionNames(buffer.data(), buffer.size());
    return ParseNameList(buffer.data(), buffer.size());
}

std::vector<std::string> ReadKeyNames(ProfileFile& file, const std::string& section) {
    std::array<char, kNameListBufferSize> buffer{};
    file.GetKeyNames(section, buffer.data(), buffer.size());
    return ParseNameList(buffer.data(), buffer.size());
}

WatchList LoadWatchList(ProfileFile& file) {
    WatchList rows;
    for (const std::string& section : ReadSectionNames(file)) {
        // A name longer than any stock code is no row: it may be one the profile functions cut,
        // and editing it would write a section of another name.
        if (section.empty() || section.size() > kMaxCodeBytes) {
            continue;
        }
        WatchRow row;
        row.code = section;
        for (const std::string& key : ReadKeyNames(file, section)) {
            std::string* target = key == "under"  ? &row.under
                                  : key == "over" ? &row.over
                                  : key == "sale" ? &row.sale
                                  : key == "cdt"  ? &row.data_date
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
