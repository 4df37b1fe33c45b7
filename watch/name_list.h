// The section and key name lists of the Windows profile functions, which they deliver into a
// buffer as NUL-separated names ending in a double NUL, and say "size - 2" when it was cut.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tickra {

// Sizes of the buffer a list is read into: it starts at the first and doubles while the list does
// not fit, up to the last, which holds half a million codes. A list still cut there loses its last
// name, which may be cut short.
inline constexpr size_t kNameListFirstSize = 512;
inline constexpr size_t kNameListMaxSize = size_t{4} << 20;

// Splits a double-NUL-terminated name list. Only the bytes of the buffer are looked at; a list
// that was cut without its final double NUL yields just the names that arrived whole.
std::vector<std::string> ParseNameList(const char* buffer, size_t size);

// fill(buffer, size) is one of the profile functions that deliver a name list; it is asked with a
// buffer that grows from first_size until the list fits. (Wine reads a file written in the last
// two seconds again at every call: one call with room enough costs one reading.)
using NameListFill = std::function<size_t(char* buffer, size_t size)>;
std::vector<std::string> ReadNameList(const NameListFill& fill,
                                      size_t first_size = kNameListFirstSize);

// How many of these names, in this order, a list read so yields: those up to an empty name, which
// ends a list, and within the largest buffer. The first name is not empty (the functions list
// none then).
size_t NamesReadOf(const std::vector<std::string_view>& names);

}  // namespace tickra
