// Small text helpers with the C library's semantics, for GB2312 byte strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tickra {

// Appends the pieces of text between the separators to pieces (which is not cleared first):
// k separators give k + 1 pieces, empty ones included. Double-byte characters are stepped over.
void Split(std::string_view text, char separator, std::vector<std::string>& pieces);

// atof: leading white space skipped, the longest decimal prefix taken, 0 when there is none.
float ParseFloat(std::string_view text);
// True when atof would read a number from the text (not merely give 0 for want of one).
bool HasLeadingNumber(std::string_view text);
// atoi, with values beyond the range of int held at its limits.
int ParseInt(std::string_view text);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The text without the blanks, tabs and line breaks around it.
std::string_view TrimBlanks(std::string_view text);

// Copies as much of text as fits into a buffer of capacity characters, and a terminating NUL;
// returns the characters copied, without the NUL. Nothing is written without room.
size_t CopyTerminated(std::wstring_view text, wchar_t* buffer, size_t capacity);

// Replaces every occurrence of from (not empty) by to.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

}  // namespace tickra
