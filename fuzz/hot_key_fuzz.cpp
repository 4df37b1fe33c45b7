// The hide key as tickra.ini holds it, whatever bytes it is: what is read is written back the
// same way, and reads as the same key.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/hot_key.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<tickra::HotKey> key = tickra::ParseHotKey(text)) {
        if (tickra::ParseHotKey(tickra::HotKeyText(*key)) != key) {
            __builtin_trap();
        }
    }
    return 0;
}
