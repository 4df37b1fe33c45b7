#include "base/mbcs.h"

#include <cstring>

namespace tickra {

std::string UpperCaseMbcs(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); i += CharWidth(out, i)) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string_view CutAtCharBoundary(std::string_view text, size_t max_bytes) {
    if (text.size() <= max_bytes) {
        return text;
    }
    size_t end = 0;
    while (end < max_bytes) {
        const size_t width = CharWidth(text, end);
        if (end + width > max_bytes) {
            break;
        }
        end += width;
    }
    return text.substr(0, end);
}

size_t FindMbcs(std::string_view text, char c, size_t from) {
    if (IsLeadByte(static_cast<unsigned char>(c))) {
        for (size_t i = from; i < text.size(); i += CharWidth(text, i)) {
            if (text[i] == c) {
                return i;
            }
        }
        return std::string_view::npos;
    }
    // A single-byte c is found with memchr. A byte that can be no trail byte (the separators,
    // the apostrophe) is always a character of its own; any other hit is a trail byte exactly
    // when an odd number of lead-range bytes precede it back to the last byte below that range,
    // which always ends a character.
    for (size_t pos = from; pos < text.size();) {
        const void* hit = std::memchr(text.data() + pos, c, text.size() - pos);
        if (hit == nullptr) {
            break;
        }
        const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
        if (!IsTrailByte(static_cast<unsigned char>(c))) {
            return at;
        }
        size_t run = 0;
        while (at - run > from && IsLeadByte(static_cast<unsigned char>(text[at - run - 1]))) {
            ++run;
        }
        if (run % 2 == 0) {
            return at;
        }
        pos = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace tickra
