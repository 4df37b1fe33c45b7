#include "watch/text_util.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "watch/mbcs.h"

namespace tickra {

void Split(std::string_view text, char separator, std::vector<std::string>& pieces) {
    size_t start = 0;
    for (size_t found; (found = FindMbcs(text, separator, start)) != std::string_view::npos;) {
        pieces.emplace_back(text.substr(start, found - start));
        start = found + 1;
    }
    pieces.emplace_back(text.substr(start));
}

float ParseFloat(std::string_view text) {
    const std::string terminated(text);
    return static_cast<float>(std::strtod(terminated.c_str(), nullptr));
}

int ParseInt(std::string_view text) {
    const std::string terminated(text);
    const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace tickra
