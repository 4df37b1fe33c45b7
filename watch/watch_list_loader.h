// Reading the watch list from code.ini.
#pragma once

#include <cstddef>

#include "watch/profile_text.h"
#include "watch/watch_list.h"

namespace tickra {

// At most 255 bytes of a value are kept, as a buffer of this size holds them.
inline constexpr size_t kValueBufferSize = 256;
// The longest section name that can be a stock code: six characters, with room to spare.
inline constexpr size_t kMaxCodeBytes = 16;

// One row per section whose name can be a stock code, in file order, once per code, with its keys
// "under", "over", "sale", "cdt", "cost", "shares" and "alias" (exact case); every row gets a
// fresh stock entry. The rows are those the profile functions give, list by list and key by key.
WatchList LoadWatchList(const ProfileText& text);

}  // namespace tickra
