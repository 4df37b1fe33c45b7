// Conversion between the program's GB2312 text and the UTF-16 of the W functions.
#pragma once

#include <string>
#include <string_view>

namespace tickra {

inline constexpr unsigned kProgramCodePage = 936;

std::wstring Widen(std::string_view gb2312);
std::string Narrow(std::wstring_view utf16);
// UTF-8, as some feeds answer, into the program's GB2312; what GB2312 lacks becomes "?".
std::string Utf8ToProgram(std::string_view utf8);

}  // namespace tickra
