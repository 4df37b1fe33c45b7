// Byte-level helpers for GB2312 (code page 936) text held in std::string.
#pragma once

#include <string>
#include <string_view>

namespace tickra {

// True for the first byte of a double-byte character of code page 936.
constexpr bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// True for a byte that can end a double-byte character. A lead byte followed by anything else
// stands alone, so that a separator after an odd byte is never swallowed.
constexpr bool IsTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// The width in bytes of the character that starts at text[at]: 2 for a lead byte with a trail
// byte after it, else 1.
constexpr size_t CharWidth(std::string_view text, size_t at) {
    return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                   IsTrailByte(static_cast<unsigned char>(text[at + 1]))
               ? 2
               : 1;
}

// Upper-cases the ASCII letters and leaves double-byte characters whole, so a trail byte that
// happens to look like a lower-case letter is never changed.
std::string UpperCaseMbcs(std::string_view text);

// The longest prefix of at most max_bytes bytes that does not split a double-byte character.
std::string_view CutAtCharBoundary(std::string_view text, size_t max_bytes);

// Position of the first c at or after from, stepping over double-byte characters as the C
// library's multibyte search does; npos when there is none.
size_t FindMbcs(std::string_view text, char c, size_t from = 0);

}  // namespace tickra
