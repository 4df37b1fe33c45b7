#include "watch/name_list.h"

#include <algorithm>

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

std::vector<std::string> ReadNameList(const NameListFill& fill, size_t first_size) {
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

size_t NamesReadOf(const std::vector<std::string_view>& names) {
    const auto end = static_cast<size_t>(std::find(names.begin(), names.end(), "") - names.begin());
    // The last buffer ReadNameList tries, filled as the profile functions fill it: a name, its NUL
    // and the final NUL must fit, else the name is cut short (or left out when no room is left).
    size_t at = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        if (at + names[i].size() + 2 > kNameListMaxSize) {
            const size_t arrived = std::min(end, at + 2 < kNameListMaxSize ? i + 1 : i);
            return arrived == 0 ? 0 : arrived - 1;  // the last one that arrived is taken as cut
        }
        at += names[i].size() + 1;
    }
    // A whole list that fills the buffer to its last two bytes says it was cut all the same.
    return at + 2 < kNameListMaxSize || end == 0 ? end : end - 1;
}

}  // namespace tickra
