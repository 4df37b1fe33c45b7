#include "base/text_util.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/mbcs.h"

namespace tickra {

void Split(std::string_view text, char separator, std::vector<std::string>& pieces) {
    size_t start = 0;
    for (size_t found; (found = FindMbcs(text, separator, start)) != std::string_view::npos;) {
        pieces.emplace_back(text.substr(start, found - start));
        start = found + 1;
    }
    pieces.emplace_back(text.substr(start));
}

namespace {

// Calls a C-string parser on text; short texts (all real prices) need no heap.
template <class Parse>
auto WithTerminated(std::string_view text, Parse parse) {
    char buffer[64];
    if (text.size() < sizeof(buffer)) {
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return parse(buffer);
    }
    return parse(std::string(text).c_str());
}

}  // namespace

float ParseFloat(std::string_view text) {
    return static_cast<float>(
        WithTerminated(text, [](const char* s) { return std::strtod(s, nullptr); }));
}

bool HasLeadingNumber(std::string_view text) {
    return WithTerminated(text, [](const char* s) {
        char* end = nullptr;
        std::strtod(s, &end);
        return end != s;
    });
}

int ParseInt(std::string_view text) {
    const long long value =
        WithTerminated(text, [](const char* s) { return std::strtoll(s, nullptr, 10); });
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

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

size_t CopyTerminated(std::wstring_view text, wchar_t* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    const size_t count = text.copy(buffer, capacity - 1);
    buffer[count] = L'\0';
    return count;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace tickra
