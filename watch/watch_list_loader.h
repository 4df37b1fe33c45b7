// Reading the watch list from code.ini.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "watch/profile_file.h"
#include "watch/watch_list.h"

namespace tickra {

// Sizes of the buffer the profile functions fill with section and key names: it starts at the
// first and doubles while the list does not fit, up to the last, which holds half a million
// codes. A list still cut there loses its last name, which may be cut short.
inline constexpr size_t kNameListFirstSize = 512;
inline constexpr size_t kNameListMaxSize = size_t{4} << 20;
// Size of the buffer a value is read into: at most 255 bytes of a value are kept.
inline constexpr size_t kValueBufferSize = 256;
// The longest section name that can be a stock code: six characters, with room to spare.
inline constexpr size_t kMaxCodeBytes = 16;

// Splits a double-NUL-terminated name list. Only the bytes of the buffer are looked at; a list
// that was cut without its final double NUL yields just the names that arrived whole.
std::vector<std::string> ParseNameList(const char* buffer, size_t size);

// The whole list of names, read with a buffer that grows from first_size until it fits. (Wine
// reads a file written in the last two seconds again at every call: one call with room enough
// costs one reading.)
std::vector<std::string> ReadSectionNames(ProfileFile& file,
                                          size_t first_size = kNameListFirstSize);
std::vector<std::string> ReadKeyNames(ProfileFile& file, const std::string& section);

// One row per section whose name can be a stock code, in file order, once per code, with its keys
// "under", "over", "sale", "cdt", "cost", "shares" and "alias" (exact case); every row gets a
// fresh stock entry.
WatchList LoadWatchList(ProfileFile& file);

}  // namespace tickra
