// Conversion between the program's GB2312 text and the UTF-16 of the W functions.
#pragma once

#include <string>
#include <string_view>

namespace tickra {

inline constexpr unsigned kProgramCodePage = 936;

std::wstring Widen(std::string_view gb2312);
std::string Narrow(std::wstring_view utf16);

}  // namespace tickra
